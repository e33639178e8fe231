#pragma once

#include <QString>
#include <QUrl>

namespace tarvex {

// The user's own web browser. The one place that decides which addresses may leave the
// launcher: only http and https go out; anything else (file:, javascript:, custom
// schemes) would open or run something local, so it is dropped with a trace.
class DefaultBrowser {
 public:
  virtual ~DefaultBrowser() = default;

  // Returns whether the address was handed to the browser.
  bool Open(const QString& address);

 protected:
  virtual void Hand(const QUrl& url) = 0;
};

// Hands addresses to the desktop's default browser.
class DesktopDefaultBrowser final : public DefaultBrowser {
 protected:
  void Hand(const QUrl& url) override;
};

}  // namespace tarvex

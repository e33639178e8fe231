#pragma once

#include <QString>
#include <QUrl>

namespace tarvex {

// A page of the launcher's own, shown in a browser when the page it should show cannot be
// had: two lines (Korean, Chinese beneath) and a button, id `buttonId`, that loads
// `target`. In the portal's dark style; needs no network.
QString LauncherPageHtml(const QString& korean, const QString& chinese, const QString& buttonId, const QUrl& target);
// The page as an address a browser loads by itself (a data: URL).
QUrl LauncherPageUrl(const QString& html);

}  // namespace tarvex

// The engine's floor: Qt WebEngine's default profile and one plain view per address,
// nothing else. Each view is a top-level window titled "tarvex-bench-baseline N", the size
// of the launcher's browser area (1320 × 782) unless the argument names another size as
// "WIDTHxHEIGHT@ADDRESS", so both sides draw the same number of pixels.
#include <QApplication>
#include <QRegularExpression>
#include <QSize>
#include <QUrl>
#include <QWebEngineView>

#include <memory>
#include <vector>

namespace {

struct ViewRequest {
  QSize size{1320, 782};
  QUrl address;
};

ViewRequest ParseViewRequest(const QString& argument) {
  static const QRegularExpression sized(QStringLiteral("^(\\d+)x(\\d+)@(.+)$"));
  const QRegularExpressionMatch match = sized.match(argument);
  if (!match.hasMatch()) return {.address = QUrl(argument)};
  return {QSize(match.captured(1).toInt(), match.captured(2).toInt()), QUrl(match.captured(3))};
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::vector<std::unique_ptr<QWebEngineView>> views;
  for (int at = 1; at < argc; ++at) {
    const ViewRequest request = ParseViewRequest(QString::fromLocal8Bit(argv[at]));
    auto view = std::make_unique<QWebEngineView>();
    view->setWindowTitle(QStringLiteral("tarvex-bench-baseline %1").arg(at));
    view->resize(request.size);
    view->load(request.address);
    view->show();
    views.push_back(std::move(view));
  }
  return views.empty() ? 2 : app.exec();
}

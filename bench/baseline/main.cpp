// The engine's floor: Qt WebEngine's default profile and one plain view per address,
// nothing else. Each view is a top-level window the size of the launcher's browser area,
// titled "tarvex-bench-baseline N".
#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

#include <memory>
#include <vector>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::vector<std::unique_ptr<QWebEngineView>> views;
  for (int at = 1; at < argc; ++at) {
    auto view = std::make_unique<QWebEngineView>();
    view->setWindowTitle(QStringLiteral("tarvex-bench-baseline %1").arg(at));
    view->resize(1320, 782);
    view->load(QUrl(QString::fromLocal8Bit(argv[at])));
    view->show();
    views.push_back(std::move(view));
  }
  return views.empty() ? 2 : app.exec();
}

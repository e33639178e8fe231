#include "browser/browser_host.h"

#include "browser/browser_client.h"
#include "browser/browser_runtime.h"
#include "browser/browser_view.h"

#include <QOpenGLWidget>
#include <QTimer>

namespace tarvex {

QWidget* CreateBrowser(BrowserRuntime& runtime, QWidget* parent, const QRect& rect,
                       const std::shared_ptr<BrowserClient>& client, const QString& address) {
  Q_ASSERT_X(runtime.IsInitialized(), "CreateBrowser", "the runtime is initialised before any browser");
  auto* view = new BrowserView(runtime.Profile(), client, parent, /*popup=*/false);
  runtime.TrimHeapAfterLoads(view);
  view->setGeometry(rect);
  view->LoadAddress(address);
  view->show();
  QPointer<BrowserView> created(view);
  QTimer::singleShot(0, view, [created, client] {
    if (created) client->OnAfterCreated(created);
  });
  return view;
}

void PrepareWindowForLaterBrowser(QWidget* window) {
  Q_ASSERT_X(!window->isVisible(), "PrepareWindowForLaterBrowser", "the window is not shown yet");
  // With Qt Quick's software renderer the browser draws without OpenGL, and so does the window.
  if (qgetenv("QT_QUICK_BACKEND") == "software" || qgetenv("QMLSCENE_DEVICE") == "softwarecontext") return;
  auto* placeholder = new QOpenGLWidget(window);
  placeholder->setGeometry(0, 0, 1, 1);
  placeholder->hide();
}

void WhenFirstLoaded(QWidget* browser, QObject* context, std::function<void()> loaded) {
  auto* view = qobject_cast<BrowserView*>(browser);
  if (view == nullptr) return;
  auto connection = std::make_shared<QMetaObject::Connection>();
  *connection = QObject::connect(view, &BrowserView::loadFinished, context,
                                 [connection, loaded = std::move(loaded)](bool ok) {
                                   if (!ok) return;
                                   const std::function<void()> call = loaded;
                                   QObject::disconnect(*connection);
                                   call();
                                 });
}

}  // namespace tarvex

#include "ui/chrome/skin_resources.h"

#include <QString>

#include <future>
#include <map>
#include <mutex>
#include <optional>

namespace tarvex {
namespace {

QString SkinBitmapPath(int id) { return QStringLiteral(":/skin/%1.bmp").arg(id); }

QImage DecodeSkinBitmap(int id) { return QImage(SkinBitmapPath(id), "BMP"); }

// Bitmaps being decoded ahead of their first use. Each is handed out once: the window
// that asked for it keeps the pixmap, and the decoded copy here is released.
class BitmapPrefetch {
 public:
  void Start(int id) {
    const std::lock_guard lock(m_mutex);
    if (m_pending.count(id) == 0) m_pending.emplace(id, std::async(std::launch::async, DecodeSkinBitmap, id));
  }

  std::optional<QImage> Take(int id) {
    std::future<QImage> decoding;
    {
      const std::lock_guard lock(m_mutex);
      const auto found = m_pending.find(id);
      if (found == m_pending.end()) return std::nullopt;
      decoding = std::move(found->second);
      m_pending.erase(found);
    }
    return decoding.get();
  }

 private:
  std::mutex m_mutex;
  std::map<int, std::future<QImage>> m_pending;
};

BitmapPrefetch& Prefetched() {
  static BitmapPrefetch prefetch;
  return prefetch;
}

}  // namespace

QPixmap LoadSkinPixmap(int id) {
  if (std::optional<QImage> image = Prefetched().Take(id)) return QPixmap::fromImage(std::move(*image));
  return QPixmap(SkinBitmapPath(id), "BMP");
}

QImage LoadPngResource(int id) {
  return QImage(QStringLiteral(":/skin/%1.png").arg(id), "PNG");
}

void PrefetchSkinBitmaps(std::initializer_list<int> ids) {
  for (int id : ids) Prefetched().Start(id);
}

}  // namespace tarvex

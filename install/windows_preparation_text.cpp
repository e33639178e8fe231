#include "install/windows_preparation_text.h"

namespace tarvex {

QString WindowsPreparationText() {
  return QStringLiteral("Windows 환경 준비 중… (처음 한 번만, 1분 정도 걸릴 수 있습니다)\n"
                        "正在准备 Windows 环境…（仅首次，可能需要一分钟）");
}

}  // namespace tarvex

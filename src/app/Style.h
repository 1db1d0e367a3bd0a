#pragma once
class QApplication;

namespace app {
// One look for every window: Fusion, a calm business palette, Noto CJK, a little stylesheet.
void applyApplicationStyle(QApplication& app);
}  // namespace app

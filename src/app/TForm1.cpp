#include "app/TForm1.h"

namespace kelvo {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("ケルボ v1.13"));
}

} // namespace kelvo

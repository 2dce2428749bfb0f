#pragma once

#include <QMainWindow>

namespace kelvo {

// The main window. It composes panes and controllers; it holds no logic.
class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
};

} // namespace kelvo

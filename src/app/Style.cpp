#include "app/Style.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QPalette>
#include <QStyleFactory>

namespace app {

void applyApplicationStyle(QApplication& app) {
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette p;
    p.setColor(QPalette::Window, QColor(236, 240, 245));
    p.setColor(QPalette::WindowText, QColor(30, 30, 30));
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::AlternateBase, QColor(192, 220, 192));
    p.setColor(QPalette::Button, QColor(225, 231, 238));
    p.setColor(QPalette::ButtonText, QColor(20, 20, 20));
    p.setColor(QPalette::Highlight, QColor(49, 106, 197));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
    p.setColor(QPalette::ToolTipText, Qt::black);
    app.setPalette(p);

    QFont f(QStringLiteral("Noto Sans CJK SC"));
    f.setPixelSize(13);
    f.setStyleHint(QFont::SansSerif);
    app.setFont(f);

    app.setStyleSheet(QStringLiteral(
        "QPushButton { padding: 3px 10px; border: 1px solid #8a9bb0; border-radius: 3px;"
        "  background: qlineargradient(x1:0,y1:0,x2:0,y2:1, stop:0 #fbfcfd, stop:1 #dde4ec); }"
        "QPushButton:hover { background: qlineargradient(x1:0,y1:0,x2:0,y2:1, stop:0 #ffffff, stop:1 "
        "#cfe0f3); }"
        "QPushButton:pressed { background: #c3d3e6; }"
        "QPushButton:disabled { color: #8a8a8a; }"
        "QLineEdit, QComboBox, QSpinBox, QDoubleSpinBox { border: 1px solid #9aa8b8; border-radius: 2px;"
        "  padding: 1px 3px; background: white; }"
        "QLineEdit:focus { border-color: #316ac5; }"
        "QTabBar::tab { padding: 4px 14px; }"
        "QHeaderView::section { background: #e3e8ef; border: 1px solid #b7c2cf; padding: 2px 4px; }"));
}

}  // namespace app

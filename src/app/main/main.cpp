#include "app/Style.h"
#include "app/TForm1.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Tarvel送货单打印管理软件 V1.9 专业版"));
    app::applyApplicationStyle(application);
    app::TForm1 mainWindow;
    mainWindow.showMaximized();
    return application.exec();
}

#include "app/Application.h"
#include "app/Style.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Tarvel送货单打印管理软件 V1.9 专业版"));
    app::applyApplicationStyle(application);
    app::Application program;
    if (!program.start()) return 0;
    return application.exec();
}

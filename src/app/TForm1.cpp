#include "app/TForm1.h"

#include "data/DataHub.h"
#include "data/Environment.h"
#include "ui/Dialogs.h"

namespace app {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent), hub_(new data::DataHub(this)) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Tarvel送货单打印管理软件 V1.9 专业版"));
    resize(1024, 694);
    const QString failure = hub_->openDatabaseFile(data::programFile(QStringLiteral("trfp.mdb")));
    if (!failure.isEmpty()) ui::dialogs().error(failure);
}

}  // namespace app

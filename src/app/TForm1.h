#pragma once
#include <QMainWindow>

namespace data {
class DataHub;
}

namespace app {

// The main window and the data hub's owner.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    data::DataHub* hub() const { return hub_; }

private:
    data::DataHub* hub_;
};

}  // namespace app

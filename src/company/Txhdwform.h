#pragma once
#include <QDialog>
#include <QMap>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace data {
class DataHub;
class Dataset;
}  // namespace data

namespace company {

// 公司资料: the own company's profile that heads every printed note. Edits the row the hub's
// xhqry stands on (the first in order of 中文简称), in place.
class Txhdwform : public QDialog {
    Q_OBJECT
public:
    explicit Txhdwform(data::DataHub& hub, QWidget* parent = nullptr);

    // Shows the current profile row (called before every showing).
    void showProfile();
    // "&S保存": writes the pending change and says so. Returns false when the database refused.
    bool save();
    // "加入图标": a picture file into 公司图标.
    void addLogo();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;  // Esc closes like the close box

private:
    data::Dataset& profile() const;
    void setProfileField(const QString& column, const QVariant& value);
    void showLogo();
    bool askToSaveBeforeClosing();

    data::DataHub& hub_;
    QMap<QString, QLineEdit*> edits_;  // column -> edit
    QLabel* gsbz_;                     // 公司图标: the logo, scaled to its frame
    QRadioButton* monthly_;            // 每月从 1 开始
    QRadioButton* daily_;              // 每天从 1 开始
    bool showing_ = false;             // filling the controls, not the user typing
};

// The logo as stored in 公司图标 (the picture file's bytes), scaled into size keeping its aspect.
QPixmap scaledLogo(const QByteArray& bytes, const QSize& size);

}  // namespace company

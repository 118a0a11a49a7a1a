#pragma once

// The main window: the drive list, the selected drive's identity, the lookup button and
// the advertising panel. It is created hidden; PopulateBurners fills and shows it.

#include <QWidget>
#include <string>

#include "app/FormServices.h"
#include "app/UiThreadBridge.h"
#include "drive/DriveComponent.h"
#include "report/ReportFields.h"
#include "update/StartupGate.h"
#include "update/upAutoUpdater.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quendra {

// The report fields (FProgramVersion, FDeviceName and the four drive words) are the
// window's own fields; the report builder refreshes them through the ReportFields base.
// Creating the window starts the update check (the start-up gate); the window stays hidden
// until the check's outcome runs PopulateBurners, or the program ends without showing it.
class TFormMaster : public QWidget, private ReportFields {
    Q_OBJECT

public:
    explicit TFormMaster(const FormServices& services = {}, QWidget* parent = nullptr);
    ~TFormMaster() override;

private:
    // Hand-offs of the update check's worker reach this thread through it; it lives as long
    // as the window.
    UiThreadBridge bridge_;
    FormServices services_;

public:
    TDriveComponent DriveComponent;
    QPlainTextEdit* Memo1;
    QPushButton* Button1;
    QLabel* Label1;
    QLabel* LabelBurnerName;
    QLabel* LabelSelectYourBurner;
    QComboBox* ComboBoxBurners;
    QLabel* Label3;
    QLabel* LabelFirmwareVersion;
    QPushButton* ButtonUpdateFirmware;
    QWidget* PanelVextrel;
    QLabel* Image1;
    QLabel* LabelVextrel1;
    QPushButton* ButtonVextrel1;
    QWidget* Bevel1;
    TupAutoUpdater upAutoUpdater;

    // Fills the drive list, chooses the default drive, fills the captions and shows the
    // window; without any drive it says so and ends the event loop.
    void PopulateBurners();

    const ReportFields& Fields() const { return *this; }

public slots:
    void FormCreate(QObject* Sender);
    void FormShow(QObject* Sender);
    void ButtonVextrel1Click(QObject* Sender);
    void ComboBoxBurnersChange(QObject* Sender);
    void ButtonUpdateFirmwareClick(QObject* Sender);
    void Button1Click(QObject* Sender);

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::u16string GetSelectedDeviceName();
    void AppendLog(const std::u16string& text);
    std::u16string BuildReport();

    void CreateControls();
    void ArrangeControls();
    void SetTabOrder();
    int SelectorIndex() const;
    void ShowFailure(const std::u16string& text);
    void EndWithoutWindow();

    bool shownBefore_ = false;
    // The window's side of the update check: its handlers of the component's events.
    StartupGate gate_;
};

}  // namespace quendra

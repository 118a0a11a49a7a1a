#include "app/UnitMaster.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <exception>

#include "lookup/LookupExchange.h"
#include "net/HostAddress.h"
#include "report/Captions.h"
#include "report/DriveWords.h"
#include "report/Report.h"
#include "util/TextRules.h"
#include "util/TextUtils.h"
#include "util/Unicode.h"

// The logo lives in a static library, whose resource initializer the linker may drop. The
// macro cannot stand inside a namespace.
static void InitializeWindowResources() {
    Q_INIT_RESOURCE(quendra);
}

namespace quendra {

namespace {

constexpr int kClientWidth = 519;
constexpr int kMargin = 3;

QString ToQ(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string FromQ(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

// Tahoma at 11 px (8 pt at 96 dpi) where installed, the platform's sans otherwise.
QFont FormFont() {
    const QString family = QFontDatabase::hasFamily(QStringLiteral("Tahoma"))
                               ? QStringLiteral("Tahoma")
                               : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    QFont font(family);
    font.setPixelSize(11);
    return font;
}

QFont Bold(QFont font) {
    font.setBold(true);
    return font;
}

// A separator line along the top edge: a shadow line with a highlight below it.
class BevelTopLine : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(0, 0, width() - 1, 0);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(0, 1, width() - 1, 1);
    }
};

// The wait cursor while the window blocks on a drive or a lookup.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

}  // namespace

// The update component's folders and platform, closing this window where a restart would.
TupAutoUpdater::Environment UpdaterEnvironment(const FormServices& services, QWidget* window) {
    TupAutoUpdater::Environment environment = *services.updaterEnvironment;
    environment.closeApplication = [window] {
        window->close();
        QCoreApplication::exit(0);
    };
    return environment;
}

TFormMaster::TFormMaster(const FormServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      services_(services.WithDefaults()),
      DriveComponent(services.drivePlatform),
      upAutoUpdater(UpdaterEnvironment(services_, this)),
      gate_(upAutoUpdater,
            StartupGateActions{
                // Queued, so that an outcome known at once still shows the window from the
                // event loop, after whoever created the window has set it up.
                .populate =
                    [this] {
                        QMetaObject::invokeMethod(this, &TFormMaster::PopulateBurners,
                                                  Qt::QueuedConnection);
                    },
                .open = [this](const std::u16string& address) { services_.openDocument(address); },
                .message = [this](const std::u16string& text) { ShowFailure(text); },
                .end = [this] { EndWithoutWindow(); },
                .pause = ServeEventsFor,
                .trace = {},
            },
            services_.updateCheckLimits) {
    InitializeWindowResources();
    setObjectName(QStringLiteral("FormMaster"));
    setWindowTitle(QStringLiteral("Quendra"));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setFont(FormFont());
    CreateControls();
    ArrangeControls();
    SetTabOrder();
    FormCreate(this);
}

TFormMaster::~TFormMaster() = default;

void TFormMaster::CreateControls() {
    const QFont bold = Bold(font());

    Memo1 = Named(new QPlainTextEdit(this), "Memo1");
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setPlainText(QStringLiteral("Memo1"));
    Memo1->setGeometry(0, 0, kClientWidth, 122);
    Memo1->hide();

    Button1 = Named(new QPushButton(QStringLiteral("Button1"), this), "Button1");
    Button1->setGeometry(0, 0, 75, 25);
    Button1->hide();
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(Button1); });

    Label1 = Named(new QLabel(QStringLiteral("Burner"), this), "Label1");
    Label1->setFont(bold);
    LabelBurnerName = Named(new QLabel(QStringLiteral("LabelBurnerName"), this), "LabelBurnerName");
    LabelSelectYourBurner =
        Named(new QLabel(QStringLiteral("Select your Burner"), this), "LabelSelectYourBurner");
    LabelSelectYourBurner->setFont(bold);

    ComboBoxBurners = Named(new QComboBox(this), "ComboBoxBurners");
    ComboBoxBurners->setEditable(true);
    ComboBoxBurners->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxBurners->setCompleter(nullptr);  // typed text stays as typed
    ComboBoxBurners->setEditText(QStringLiteral("ComboBoxBurners"));
    connect(ComboBoxBurners, &QComboBox::activated, this,
            [this] { ComboBoxBurnersChange(ComboBoxBurners); });
    connect(ComboBoxBurners->lineEdit(), &QLineEdit::textEdited, this,
            [this] { ComboBoxBurnersChange(ComboBoxBurners); });

    Label3 = Named(new QLabel(QStringLiteral("Firmware version"), this), "Label3");
    Label3->setFont(bold);
    LabelFirmwareVersion =
        Named(new QLabel(QStringLiteral("LabelFirmwareVersion"), this), "LabelFirmwareVersion");

    ButtonUpdateFirmware =
        Named(new QPushButton(QStringLiteral("Check for Firmware and Driver update"), this),
              "ButtonUpdateFirmware");
    ButtonUpdateFirmware->setFont(bold);
    ButtonUpdateFirmware->setToolTip(QStringLiteral("Open web browser to check latest firmware."));
    connect(ButtonUpdateFirmware, &QPushButton::clicked, this,
            [this] { ButtonUpdateFirmwareClick(ButtonUpdateFirmware); });

    Bevel1 = Named(new BevelTopLine(this), "Bevel1");

    PanelVextrel = Named(new QWidget(this), "PanelVextrel");
    Image1 = Named(new QLabel(PanelVextrel), "Image1");
    Image1->setPixmap(QPixmap(QStringLiteral(":/vextrel-logo.png")));
    Image1->setGeometry(0, 0, 64, 64);
    LabelVextrel1 = Named(new QLabel(QStringLiteral("Vextrel"), PanelVextrel), "LabelVextrel1");
    LabelVextrel1->setFont(bold);
    LabelVextrel1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    LabelVextrel1->setWordWrap(true);
    QPalette red = LabelVextrel1->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    LabelVextrel1->setPalette(red);
    LabelVextrel1->setGeometry(70, 16, 441, 17);
    ButtonVextrel1 = Named(new QPushButton(QStringLiteral("Download Vextrel Now !"), PanelVextrel),
                           "ButtonVextrel1");
    ButtonVextrel1->setFont(bold);
    ButtonVextrel1->setGeometry(70, 39, 441, 25);
    connect(ButtonVextrel1, &QPushButton::clicked, this,
            [this] { ButtonVextrel1Click(ButtonVextrel1); });

    for (QLabel* label :
         {Label1, LabelBurnerName, LabelSelectYourBurner, Label3, LabelFirmwareVersion}) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
}

// Stacks the visible controls from the top, each with 3 px margins on every side (the
// separator line spans the whole width without margins), and sizes the window to them.
void TFormMaster::ArrangeControls() {
    struct Row {
        QWidget* control;
        int height;
        bool margins;
    };
    const Row rows[] = {
        {LabelSelectYourBurner, 13, true},
        {ComboBoxBurners, 21, true},
        {Label1, 13, true},
        {LabelBurnerName, 13, true},
        {Label3, 13, true},
        {LabelFirmwareVersion, 13, true},
        {ButtonUpdateFirmware, 25, true},
        {Bevel1, 10, false},
        {PanelVextrel, 64, true},
    };
    int y = 0;
    for (const Row& row : rows) {
        if (!row.control->isVisibleTo(this))
            continue;
        const int margin = row.margins ? kMargin : 0;
        row.control->setGeometry(margin, y + margin, kClientWidth - 2 * margin, row.height);
        y += row.height + 2 * margin;
    }
    setFixedSize(kClientWidth, y);
}

void TFormMaster::SetTabOrder() {
    QWidget::setTabOrder(Memo1, Button1);
    QWidget::setTabOrder(Button1, ComboBoxBurners);
    QWidget::setTabOrder(ComboBoxBurners, ButtonUpdateFirmware);
    QWidget::setTabOrder(ButtonUpdateFirmware, ButtonVextrel1);
}

void TFormMaster::FormCreate(QObject*) {
    FProgramVersion = GetModuleVersionString(FromQ(QCoreApplication::applicationFilePath()));
    ApplyStartupCheckSettings(upAutoUpdater);
    const QStringList arguments = QCoreApplication::arguments();
    upAutoUpdater.Loaded(arguments.size() > 1 ? FromQ(arguments[1]) : std::u16string());
    if (services_.checkForUpdates)
        gate_.Start(FProgramVersion, InfoFileAddress(*services_.updateHost));
    DriveComponent.InitializeASPI(false, "", "");
}

void TFormMaster::EndWithoutWindow() {
    close();
    QCoreApplication::exit(0);
}

void TFormMaster::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Only the first show places the focus; a restore from minimized (another show
    // event) leaves it where the user put it.
    if (shownBefore_)
        return;
    shownBefore_ = true;
    FormShow(this);
}

void TFormMaster::FormShow(QObject*) {
    ButtonVextrel1->setFocus(Qt::OtherFocusReason);
}

void TFormMaster::PopulateBurners() {
    DriveComponent.InitializeASPI(false, "", "");
    const int count = DriveComponent.DeviceCount();
    if (count == 0) {
        services_.showMessage(this, QStringLiteral("Sorry no buner found."));
        EndWithoutWindow();
        return;
    }
    for (int i = 0; i < count; ++i) {
        const std::string name = DriveComponent.GetDeviceName(static_cast<std::uint8_t>(i));
        ComboBoxBurners->addItem(ToQ(CodePageToUtf16(name)));
    }

    // The first burner is preselected, else the first drive. Setting the index runs no
    // handler; the handler runs once below.
    int chosen = 0;
    for (int i = 0; i < count; ++i) {
        DriveComponent.SelectDevice(static_cast<std::uint8_t>(i));
        if (DriveComponent.DeviceIsBurner()) {
            chosen = i;
            break;
        }
    }
    ComboBoxBurners->setCurrentIndex(chosen);

    if (count == 1) {
        LabelSelectYourBurner->hide();
        ComboBoxBurners->hide();
    }
    ArrangeControls();
    ComboBoxBurnersChange(ComboBoxBurners);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
}

int TFormMaster::SelectorIndex() const {
    const QString text = ComboBoxBurners->currentText();
    const int current = ComboBoxBurners->currentIndex();
    if (current >= 0 && ComboBoxBurners->itemText(current) == text)
        return current;
    for (int i = 0; i < ComboBoxBurners->count(); ++i) {
        if (ComboBoxBurners->itemText(i) == text)
            return i;
    }
    return -1;
}

std::u16string TFormMaster::GetSelectedDeviceName() {
    return quendra::GetSelectedDeviceName(DriveComponent, SelectorIndex());
}

std::u16string TFormMaster::BuildReport() {
    return quendra::BuildReport(*this, DriveComponent, SelectorIndex());
}

void TFormMaster::ComboBoxBurnersChange(QObject*) {
    DriveComponent.SelectDevice(static_cast<std::uint8_t>(SelectorIndex()));
    BuildReport();
    const DriveCaptions captions = MakeDriveCaptions(*this);
    ButtonUpdateFirmware->setText(ToQ(captions.button));
    LabelBurnerName->setText(ToQ(captions.name));
    LabelFirmwareVersion->setText(ToQ(captions.firmware));
    LabelVextrel1->setText(ToQ(captions.advertising));
}

void TFormMaster::ButtonVextrel1Click(QObject*) {
    services_.openDocument(Latin1ToUtf16(DownloadPageAddress(*services_.dataHost)));
}

void TFormMaster::ButtonUpdateFirmwareClick(QObject*) {
    std::optional<LookupFailure> failure;
    {
        BusyCursor busy;
        try {
            const std::u16string report = BuildReport();
            failure = RunLookup(
                report, Fields(), LookupEndpoint{*services_.dataHost},
                [this](const std::u16string& address) { services_.openDocument(address); });
        } catch (const std::exception& error) {
            failure = LookupFailure{Utf8ToUtf16(error.what()), 0};
        }
    }
    if (failure)
        ShowFailure(FailureText(*failure));
}

void TFormMaster::Button1Click(QObject*) {
    DiagnosticLookupResult outcome;
    try {
        std::u16string report;
        {
            BusyCursor busy;
            report = BuildReport();
        }
        services_.showMessage(this, QStringLiteral("0"));
        BusyCursor busy;
        outcome = RunDiagnosticLookup(report, LookupEndpoint{*services_.dataHost});
    } catch (const std::exception& error) {
        outcome.failure = LookupFailure{Utf8ToUtf16(error.what()), 0};
    }
    if (outcome.failure) {
        ShowFailure(FailureText(*outcome.failure));
    } else {
        AppendLog(outcome.replyText);
    }
}

void TFormMaster::ShowFailure(const std::u16string& text) {
    services_.showMessage(this, ToQ(text));
}

// One entry: local date and time in the user's short date and long time formats, " - ",
// then the text; line breaks inside the text continue on further lines.
void TFormMaster::AppendLog(const std::u16string& text) {
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    Memo1->appendPlainText(locale.toString(now.date(), QLocale::ShortFormat) + u' ' +
                           locale.toString(now.time(), QLocale::LongFormat) +
                           QStringLiteral(" - ") + ToQ(text));
}

}  // namespace quendra

// The main window offscreen, on simulated drives, with the message box and the document
// opener replaced by recorders.

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <optional>

#include "app/UnitMaster.h"
#include "demo/aspi/SimulatedDrive.h"
#include "sysinfo/SysInfo.h"
#include "tests/fakes/FakeDrivePlatform.h"
#include "tests/fakes/LoopbackHttpServer.h"

using namespace quendra;

namespace {

QString ToQ(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Counts the times a widget was shown.
class ShowCounter : public QObject {
public:
    int shows = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show)
            ++shows;
        return false;
    }
};

struct Recorder {
    QStringList messages;
    QList<bool> busyAtMessage;  // whether the busy cursor was shown as each message appeared
    QStringList opened;

    FormServices Services(std::shared_ptr<FakeDrivePlatform> platform,
                          std::optional<HostAddress> dataHost = std::nullopt) {
        FormServices services;
        services.drivePlatform = std::move(platform);
        services.dataHost = std::move(dataHost);
        services.showMessage = [this](QWidget*, const QString& text) {
            messages << text;
            busyAtMessage << (QGuiApplication::overrideCursor() != nullptr);
        };
        services.openDocument = [this](std::u16string_view target) { opened << ToQ(target); };
        // The window's other parts are tested as after a check that found no update.
        services.checkForUpdates = false;
        return services;
    }
};

std::shared_ptr<SimulatedDrive> Drive(DriveTable table) {
    return std::make_shared<SimulatedDrive>(std::move(table));
}

std::shared_ptr<FakeDrivePlatform> OneBurner() {
    auto platform = std::make_shared<FakeDrivePlatform>();
    platform->AddDrive('E', Drive(drives::DvdBurner()), ScsiAddress{1, 0, 0});
    return platform;
}

std::shared_ptr<FakeDrivePlatform> ReaderAndBurner() {
    auto platform = std::make_shared<FakeDrivePlatform>();
    platform->AddDrive('D', Drive(drives::DvdReader()), ScsiAddress{1, 0, 0});
    platform->AddDrive('E', Drive(drives::DvdBurner()), ScsiAddress{1, 1, 0});
    return platform;
}

HostAddress Loopback(const LoopbackHttpServer& server) {
    return HostAddress{"127.0.0.1", server.port()};
}

// What the window says about the selected drive: the lookup button, the name line, the
// firmware revision and the advertising sentence.
QStringList Captions(const TFormMaster& form) {
    return {form.ButtonUpdateFirmware->text(), form.LabelBurnerName->text(),
            form.LabelFirmwareVersion->text(), form.LabelVextrel1->text()};
}

const QStringList kBurnerCaptions{"Check for Firmware and Driver update of XR-22",
                                  "DVDRAM XR-22 by ACME", "1.02",
                                  "Vextrel DVD Burning Software is 100% compatible with XR-22"};
const QStringList kReaderCaptions{"Check for Firmware and Driver update of DR-16",
                                  "DVD-ROM DR-16 by ACME", "2.10",
                                  "Vextrel DVD Burning Software is 100% compatible with DR-16"};

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { CaptureStartupSystemInfo(); }

    void oneDriveHidesTheSelectorAndShortensTheWindow() {
        auto two = std::make_shared<FakeDrivePlatform>();
        two->AddDrive('D', Drive(drives::DvdReader()), ScsiAddress{1, 0, 0});
        two->AddDrive('E', Drive(drives::DvdBurner()), ScsiAddress{1, 1, 0});
        auto one = std::make_shared<FakeDrivePlatform>();
        one->AddDrive('D', Drive(drives::DvdBurner()), ScsiAddress{1, 0, 0});

        Recorder recorder;
        TFormMaster withTwo(recorder.Services(two));
        withTwo.PopulateBurners();
        TFormMaster withOne(recorder.Services(one));
        withOne.PopulateBurners();

        QVERIFY(withTwo.isVisible());
        QVERIFY(withOne.isVisible());
        QCOMPARE(withTwo.width(), 519);
        QCOMPARE(withOne.width(), 519);
        QCOMPARE(withTwo.height(), 233);
        QCOMPARE(withTwo.height() - withOne.height(), 46);
        QVERIFY(withTwo.ComboBoxBurners->isVisible());
        QVERIFY(!withOne.ComboBoxBurners->isVisible());
        QVERIFY(!withOne.LabelSelectYourBurner->isVisible());
        QCOMPARE(withOne.Label1->geometry(), QRect(3, 3, 513, 13));
        QCOMPARE(withTwo.PanelVextrel->geometry(), QRect(3, 166, 513, 64));
        // The logo, rendered from its source at build time, is in the program's resources.
        QCOMPARE(withTwo.Image1->pixmap().size(), QSize(64, 64));
        QVERIFY(!withTwo.Memo1->isVisible());
        QVERIFY(!withTwo.Button1->isVisible());
        QVERIFY(recorder.messages.isEmpty());
    }

    void burnerAfterReaderIsPreselectedAndFocusIsOnTheDownloadButton() {
        auto platform = std::make_shared<FakeDrivePlatform>();
        auto reader = Drive(drives::DvdReader());
        auto burner = Drive(drives::DvdBurner());
        platform->AddDrive('D', reader, ScsiAddress{1, 0, 0});
        platform->AddDrive('E', burner, ScsiAddress{1, 1, 0});

        Recorder recorder;
        TFormMaster form(recorder.Services(platform));
        reader->ClearCounts();
        burner->ClearCounts();
        form.PopulateBurners();

        QCOMPARE(form.ComboBoxBurners->count(), 2);
        QCOMPARE(form.ComboBoxBurners->currentIndex(), 1);
        // Discovery asks each drive once; the choice selects the reader, then the burner,
        // and the change handler selects the burner again.
        QCOMPARE(reader->Count(0x12), std::size_t{2});
        QCOMPARE(burner->Count(0x12), std::size_t{3});

        QCOMPARE(Captions(form), kBurnerCaptions);

        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE(QApplication::focusWidget(), form.ButtonVextrel1);
        QCOMPARE(form.ButtonVextrel1->text(), QStringLiteral("Download Vextrel Now !"));
    }

    void restoringFromMinimizedLeavesTheFocusWhereTheUserPutIt() {
        Recorder recorder;
        TFormMaster form(recorder.Services(ReaderAndBurner()));
        form.PopulateBurners();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE(QApplication::focusWidget(), form.ButtonVextrel1);

        form.ComboBoxBurners->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(form.ComboBoxBurners->hasFocus());
        form.showMinimized();
        QTRY_VERIFY(form.isMinimized());
        form.showNormal();
        QTRY_VERIFY(!form.isMinimized());
        // The window system shows the window again when it is restored.
        QShowEvent restored;
        QApplication::sendEvent(&form, &restored);
        QApplication::processEvents();
        QVERIFY(form.ComboBoxBurners->hasFocus());
        QVERIFY(!form.ButtonVextrel1->hasFocus());
    }

    void typedTextThatSelectsNothingGivesEmptyCaptions() {
        Recorder recorder;
        TFormMaster form(recorder.Services(ReaderAndBurner()));
        form.PopulateBurners();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        form.ComboBoxBurners->lineEdit()->selectAll();
        QTest::keyClicks(form.ComboBoxBurners->lineEdit(), QStringLiteral("no such drive"));

        QCOMPARE(form.ComboBoxBurners->count(), 2);  // typed text is never an item
        QCOMPARE(Captions(form),
                 (QStringList{"Check for Firmware and Driver update of ", "by", "",
                              "Vextrel DVD Burning Software is 100% compatible with "}));
        QVERIFY(form.Fields().FDeviceName.empty());

        // Typing an item's text exactly selects that drive: the reader, while the list's
        // current entry is still the preselected burner.
        form.ComboBoxBurners->lineEdit()->selectAll();
        QTest::keyClicks(form.ComboBoxBurners->lineEdit(), form.ComboBoxBurners->itemText(0));
        QCOMPARE(form.ComboBoxBurners->currentIndex(), 1);
        QCOMPARE(Captions(form), kReaderCaptions);
    }

    void downloadButtonOpensTheDownloadPage() {
        Recorder recorder;
        TFormMaster form(recorder.Services(OneBurner(), HostAddress{"data.test.example", 8080}));
        form.PopulateBurners();
        QTest::mouseClick(form.ButtonVextrel1, Qt::LeftButton);
        QCOMPARE(recorder.opened,
                 QStringList{"http://data.test.example:8080/qndr-vextrel-download.php"});

        // Without a host of its own the window uses the configured one.
        TFormMaster configured(recorder.Services(OneBurner()));
        configured.PopulateBurners();
        QTest::mouseClick(configured.ButtonVextrel1, Qt::LeftButton);
        QCOMPARE(recorder.opened.last(), QString::fromStdString(DownloadPageAddress(DataHost())));
    }

    void lookupOpensTheReplysAddressesInOrderOrShowsTheFailure() {
        LoopbackHttpServer server([](const RecordedRequest& request, std::size_t index) {
            if (index == 0) {
                return ServerReply::Text(
                    200, "OK",
                    "[firmware]\r\nurl=http://fw.example/<#DeviceNameModel>\r\n"
                    "[skipped]\r\nurl=www.x\r\n"
                    "[driver]\r\nURL = "
                    "www.drivers.example/<#DeviceNameBrand>/<#devicenametype>\r\n");
            }
            if (request.body.empty())
                return ServerReply::Text(400, "Bad Request", "");
            return ServerReply::Text(500, "Internal Server Error", "oops");
        });
        auto platform = std::make_shared<FakeDrivePlatform>();
        platform->AddDrive('D', Drive(drives::DvdBurner()), ScsiAddress{1, 0, 0});
        platform->AddDrive('E', Drive(drives::DvdReader()), ScsiAddress{1, 1, 0});
        Recorder recorder;
        TFormMaster form(recorder.Services(platform, Loopback(server)));
        form.PopulateBurners();
        // The burner is preselected; the user picks the reader.
        QCOMPARE(form.ComboBoxBurners->currentIndex(), 0);
        QTest::keyClick(form.ComboBoxBurners, Qt::Key_Down);
        QCOMPARE(form.ComboBoxBurners->currentIndex(), 1);

        QTest::mouseClick(form.ButtonUpdateFirmware, Qt::LeftButton);
        QCOMPARE(recorder.opened,
                 (QStringList{"http://fw.example/DR-16", "www.drivers.example/ACME/DVD-ROM"}));
        QVERIFY(recorder.messages.isEmpty());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        const QStringList posted = QString::fromStdString(server.requests().at(0).body).split(u'&');
        for (const char* field :
             {"DeviceNameModel=DR-16", "DeviceNameFirmware=2.10", "DeviceIsBurner=NO"}) {
            QVERIFY2(posted.contains(QLatin1String(field)), field);
        }

        QTest::mouseClick(form.ButtonUpdateFirmware, Qt::LeftButton);
        QCOMPARE(recorder.opened.size(), 2);
        QCOMPARE(recorder.messages, QStringList{"HTTP/1.1 500 Internal Server Error NUMBER : 0"});
        QCOMPARE(recorder.busyAtMessage, QList<bool>{false});
        QCOMPARE(server.requests().size(), std::size_t{2});
        QVERIFY(server.requests()[0].RequestLine() == "POST /quendra/quendra.php HTTP/1.1");
    }

    void diagnosticButtonShowsZeroThenLogsTheReply() {
        LoopbackHttpServer server([](const RecordedRequest&, std::size_t) {
            return ServerReply::Text(200, "OK", "first line\r\nsecond line");
        });
        Recorder recorder;
        TFormMaster form(recorder.Services(OneBurner(), Loopback(server)));
        form.PopulateBurners();

        form.Button1Click(form.Button1);
        QCOMPARE(recorder.messages, QStringList{"0"});
        QCOMPARE(recorder.busyAtMessage, QList<bool>{false});
        QVERIFY(server.requests().at(0).RequestLine() == "POST /quendra/quendra.php HTTP/1.0");
        const QStringList memo = form.Memo1->toPlainText().split(u'\n');
        QCOMPARE(memo.size(), 3);
        QCOMPARE(memo[0], QStringLiteral("Memo1"));
        QVERIFY2(memo[1].endsWith(QStringLiteral(" - first line")), qPrintable(memo[1]));
        QCOMPARE(memo[2], QStringLiteral("second line"));
    }

    // Last: it runs the application's event loop to its end.
    void noDriveSaysSoAndEndsTheEventLoopWithoutShowing() {
        auto platform = std::make_shared<FakeDrivePlatform>();
        Recorder recorder;
        TFormMaster form(recorder.Services(platform));
        ShowCounter shows;
        form.installEventFilter(&shows);

        QMetaObject::invokeMethod(&form, &TFormMaster::PopulateBurners, Qt::QueuedConnection);
        QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
        const int result = QCoreApplication::exec();

        QCOMPARE(result, 0);
        QCOMPARE(recorder.messages, QStringList{"Sorry no buner found."});
        QCOMPARE(shows.shows, 0);
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"

// The window's start-up update check, offscreen, against a scripted update service on
// 127.0.0.1: the outcomes that show the window, and the update that opens the URL list's
// addresses and ends the program without ever showing it.

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "app/UnitMaster.h"
#include "demo/aspi/SimulatedDrive.h"
#include "sysinfo/SysInfo.h"
#include "tests/fakes/FakeDrivePlatform.h"
#include "tests/fakes/TempFolder.h"
#include "tests/fakes/UpdateService.h"
#include "update/upThread.h"
#include "util/Unicode.h"

using namespace quendra;
namespace fs = std::filesystem;

namespace {

// Counts the window's show and close events.
class EventCounter : public QObject {
public:
    int shows = 0;
    int closes = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        shows += event->type() == QEvent::Show;
        closes += event->type() == QEvent::Close;
        return false;
    }
};

// A window on one simulated burner whose update check asks `updateHost`, downloading into a
// folder of the test's own; messages and opened addresses are recorded.
struct GateRig {
    explicit GateRig(HostAddress updateHost, std::u16string lockFile = {}) {
        auto platform = std::make_shared<FakeDrivePlatform>();
        platform->AddDrive('E', std::make_shared<SimulatedDrive>(drives::DvdBurner()),
                           ScsiAddress{1, 0, 0});
        FormServices services;
        services.drivePlatform = platform;
        services.showMessage = [this](QWidget*, const QString& text) { messages << text; };
        services.openDocument = [this](std::u16string_view target) {
            opened << QString::fromUtf16(target.data(), static_cast<qsizetype>(target.size()));
            openedAt << clock.elapsed();
        };
        services.updateHost = std::move(updateHost);
        TupAutoUpdater::Environment environment;
        UpdateFolders& f = environment.folders;
        f.AppFolder = f.DownloadFolder = f.TempFolder = f.Desktop = f.Documents = f.Pictures =
            f.AppData = Utf8ToUtf16(folder.path().string() + "/");
        f.ExeName = f.AppFolder + u"quendra";
        f.CheckLockFile = lockFile.empty() ? f.AppFolder + u"update.lock" : lockFile;
        services.updaterEnvironment = environment;
        clock.start();
        form = std::make_unique<TFormMaster>(services);
        form->installEventFilter(&events);
    }
    ~GateRig() {
        form.reset();
        WaitForWorkerThreads(std::chrono::seconds(10));
    }

    TempFolder folder{"quendra-gate"};
    QElapsedTimer clock;
    QStringList messages;
    QStringList opened;
    QList<qint64> openedAt;
    EventCounter events;
    std::unique_ptr<TFormMaster> form;
};

HostAddress AddressOf(const UpdateService& service) {
    const std::string& base = service.Base();
    return *ParseHostAddress(base.substr(base.find("://") + 3));
}

}  // namespace

class StartupGateWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { CaptureStartupSystemInfo(); }

    void noUpdateShowsTheWindow_data() {
        QTest::addColumn<QString>("answer");
        QTest::newRow("no information file") << QString();
        QTest::newRow("current version") << QStringLiteral("1.0.0.0");
        QTest::newRow("older version") << QStringLiteral("0.9");
    }
    void noUpdateShowsTheWindow() {
        QFETCH(QString, answer);
        std::map<std::string, UpdateService::Answer> answers;
        if (!answer.isEmpty()) {
            answers["/update-qndr.php"] =
                UpdateService::Info(answer.toStdString(), "#url={base}/urls-qndr.txt\r\n");
        }
        UpdateService service(answers);
        GateRig rig(AddressOf(service));
        QVERIFY(!rig.form->isVisible());  // hidden until the check has an outcome
        QTRY_VERIFY_WITH_TIMEOUT(rig.form->isVisible(), 15000);
        QCOMPARE(rig.events.shows, 1);
        QVERIFY(rig.opened.isEmpty());
        QVERIFY(rig.messages.isEmpty());
        QCOMPARE(rig.form->ComboBoxBurners->count(), 1);
    }

    void unreachableHostShowsTheWindow() {
        // A port where nothing listens.
        quint16 port = 0;
        {
            UpdateService closed({});
            port = AddressOf(closed).port;
        }
        GateRig rig(HostAddress{"127.0.0.1", port});
        QTRY_VERIFY_WITH_TIMEOUT(rig.form->isVisible(), 15000);
    }

    void silentServiceShowsTheWindowWithinTheLimit() {
        UpdateService service({{"/update-qndr.php", [](const std::string&) {
                                    ServerReply reply;
                                    reply.holdOpen = true;  // accepts, never answers
                                    return reply;
                                }}});
        const StartupCheckLimits limits;  // the window's own: 10 s for the whole answer
        QElapsedTimer clock;
        clock.start();
        GateRig rig(AddressOf(service));
        QTRY_VERIFY_WITH_TIMEOUT(rig.form->isVisible(), 20000);
        QVERIFY(clock.elapsed() >= limits.infoTransfer - 100);
        QVERIFY(clock.elapsed() < limits.infoTransfer + 5000);
    }

    void updateOpensTheListLastLineFirstAndEndsWithoutTheWindow() {
        const std::string list =
            "http://a.example/1\r\n   https://b.example/2   \nmailto:someone@example.com\r"
            "WWW.C.EXAMPLE/3\r\n\r\nnot an address\r\n";
        UpdateService service({
            {"/update-qndr.php",
             UpdateService::Info("2.0.0.0",
                                 "#url={base}/quendra\r\n#url2={base}/Urls-Qndr.TXT\r\n")},
            {"/quendra", UpdateService::Text("a program")},
            {"/Urls-Qndr.TXT", UpdateService::Text(list)},
        });
        GateRig rig(AddressOf(service));
        QTRY_COMPARE_WITH_TIMEOUT(rig.messages.size(), 1, 15000);
        QCOMPARE(rig.messages.front(), QStringLiteral("Please update with the latest version."));
        QCOMPARE(rig.opened,
                 (QStringList{"WWW.C.EXAMPLE/3", "https://b.example/2", "http://a.example/1"}));
        // 200 ms between two opens, and after the last one before the message.
        QVERIFY(rig.openedAt[1] - rig.openedAt[0] >= 190);
        QVERIFY(rig.openedAt[2] - rig.openedAt[1] >= 190);
        QCOMPARE(rig.events.shows, 0);
        QCOMPARE(rig.events.closes, 1);
        // The program file was declined: only the information file and the list were fetched
        // in full; the downloads are gone.
        QVERIFY(!fs::exists(rig.folder.path() / "quendra.uTMP"));
        QVERIFY(!fs::exists(rig.folder.path() / "Urls-Qndr.TXT.uTMP"));
    }

    void emptyListOpensNothingAndStillEnds() {
        UpdateService service({
            {"/update-qndr.php", UpdateService::Info("2.0.0.0", "#url={base}/urls-qndr.txt\r\n")},
            {"/urls-qndr.txt", UpdateService::Text("")},
        });
        GateRig rig(AddressOf(service));
        QTRY_COMPARE_WITH_TIMEOUT(rig.messages.size(), 1, 15000);
        QVERIFY(rig.opened.isEmpty());
        QCOMPARE(rig.events.shows, 0);
        QVERIFY(!fs::exists(rig.folder.path() / "urls-qndr.txt.uTMP"));
    }

    void anotherRunningCheckLetsTheWindowShowAtOnce() {
        // A second start while another check of this user runs (it holds the check's lock)
        // does not check at all: the window shows as when no update exists.
        UpdateService service({{"/update-qndr.php", UpdateService::Info("2.0.0.0", "")}});
        const TempFolder lockFolder("quendra-lock");
        const std::u16string lockFile = Utf8ToUtf16((lockFolder.path() / "update.lock").string());
        const auto otherCheck = SystemUpdaterPlatform().TryLockFile(lockFile);
        QVERIFY(otherCheck != nullptr);
        GateRig rig(AddressOf(service), lockFile);
        QTRY_VERIFY_WITH_TIMEOUT(rig.form->isVisible(), 15000);
        QVERIFY(service.Requests().empty());
    }
};

QTEST_MAIN(StartupGateWindowTest)
#include "StartupGateWindowTest.moc"

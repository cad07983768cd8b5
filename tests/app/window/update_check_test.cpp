// The update check: the maker's answer decides whether the user is asked and what opens, the
// window asks while it is being created, and an answer that never ends holds the start-up no
// longer than the check's limit.
#include "app_test_main.h"
#include "closed_port.h"
#include "main_form.h"
#include "recording_platform.h"
#include "scripted_server.h"
#include "update_check.h"

using namespace std::chrono_literals;
using tamsel::app::AppHosts;
using tamsel::app::TMainForm;
using tamsel::app::UpdateCheck;
using tamsel::app::testing::RecordingPlatform;
using tamsel::testing::ScriptedServer;

namespace {

QByteArray answer(const std::string& status, const std::string& body, const std::string& extraHeaders = {})
{
    return QByteArray::fromStdString("HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
                                     "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body);
}

std::string hostOf(const ScriptedServer& server)
{
    return "127.0.0.1:" + std::to_string(server.port());
}

}  // namespace

class UpdateCheckTest : public QObject {
    Q_OBJECT

private slots:
    // Every answer of the maker's site and of the user, in one table. Each entry of `connections`
    // is what the server sends on one connection; none: nothing listens. `byTheWindow`: the
    // window asks while it is created, its other hosts where nothing listens.
    void theAnswerDecidesWhetherToAskAndWhatToOpen_data()
    {
        QTest::addColumn<QList<QByteArray>>("connections");
        QTest::addColumn<bool>("byTheWindow");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("opened");
        const auto ok = [](const char* body) { return QList<QByteArray>{answer("200 OK", body)}; };
        QTest::newRow("exactly 1.09 is current") << ok("1.09") << false << true << false << false;
        QTest::newRow("1.09 inside a page is current") << ok("<p>Tamsel 1.09 released</p>") << false << true << false
                                                       << false;
        QTest::newRow("1.091 counts as current") << ok("1.091") << false << true << false << false;
        QTest::newRow("1.10 is newer, Yes opens the archive") << ok("1.10") << false << true << true << true;
        QTest::newRow("1.10 is newer, No opens nothing") << ok("1.10") << false << false << true << false;
        QTest::newRow("the window being created asks, Yes opens the archive")
            << ok("1.10") << true << true << true << true;
        QTest::newRow("an error page with a success status asks") << ok("<h1>Server busy</h1>") << false << false
                                                                  << true << false;
        QTest::newRow("a page of white space asks") << ok(" \r\n ") << false << false << true << false;
        QTest::newRow("an empty body asks nothing") << ok("") << false << true << false << false;
        QTest::newRow("an error status asks nothing")
            << QList<QByteArray>{answer("404 Not Found", "no 1.10 here")} << false << true << false << false;
        QTest::newRow("a body cut short without the version asks")
            << QList<QByteArray>{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n<html>1.1"} << false << false << true
            << false;
        QTest::newRow("a redirect is followed and the final answer judged")
            << QList<QByteArray>{answer("302 Found", "", "Location: /quorl/v2.php\r\n"), answer("200 OK", "1.10")}
            << false << false << true << false;
        QTest::newRow("no server asks nothing") << QList<QByteArray>{} << false << true << false << false;
    }

    void theAnswerDecidesWhetherToAskAndWhatToOpen()
    {
        QFETCH(QList<QByteArray>, connections);
        QFETCH(bool, byTheWindow);
        QFETCH(bool, yes);
        QFETCH(bool, asked);
        QFETCH(bool, opened);
        ScriptedServer server;
        for (const QByteArray& bytes : connections)
            server.addConnection({ScriptedServer::receive(), ScriptedServer::send(bytes.toStdString())});
        const std::string nothingListens = "127.0.0.1:" + std::to_string(tamsel::testing::closedLoopbackPort());
        const std::string host = connections.isEmpty() ? nothingListens : hostOf(server);
        RecordingPlatform platform;
        platform.answerYes = yes;
        if (byTheWindow) {
            const TMainForm window(AppHosts{nothingListens, nothingListens, host, nothingListens}, platform);
        } else {
            UpdateCheck(host, platform).CheckForUpdate(nullptr);
        }

        QCOMPARE(platform.questions.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(platform.questions[0].caption, QStringLiteral(" "));
            QCOMPARE(platform.questions[0].text, QStringLiteral("软件版本已更新,是否下载新版软件?"));
        }
        const QUrl archive(QStringLiteral("http://%1/quorl/Tamsel隐形降权探测软件.rar").arg(QString::fromStdString(host)));
        QCOMPARE(platform.opened, opened ? QList<QUrl>{archive} : QList<QUrl>{});
        const std::vector<std::string> requests = server.requests();
        QCOMPARE(requests.size(), static_cast<std::size_t>(connections.size()));
        for (std::size_t i = 0; i < requests.size(); ++i) {
            QVERIFY(requests[i].starts_with(i == 0 ? "GET /quorl/v.php HTTP/1.1\r\n" : "GET /quorl/v2.php HTTP/1.1\r\n"));
            QVERIFY(requests[i].find("User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.2; SV1; Maxthon; "
                                     ".NET CLR 1.1.4322; .NET CLR 2.0.50727)\r\n") != std::string::npos);
        }
    }

    // Neither answer lets the 10 s read time-out run out before the check's 25 s limit: the
    // trickle sends a byte every 50 ms for 20 s, the held one nothing after its first byte.
    void theLimitEndsAnAnswerThatNeverEnds_data()
    {
        QTest::addColumn<bool>("trickle");
        QTest::newRow("a byte every 50 ms") << true;
        QTest::newRow("held after its first byte") << false;
    }

    void theLimitEndsAnAnswerThatNeverEnds()
    {
        QFETCH(bool, trickle);
        std::vector<ScriptedServer::Step> steps{
            ScriptedServer::receive(), ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n"),
            ScriptedServer::send("x")};
        for (int i = 0; trickle && i < 400; ++i) {
            steps.push_back(ScriptedServer::pause(50ms));
            steps.push_back(ScriptedServer::send("x"));
        }
        steps.push_back(ScriptedServer::hold());
        ScriptedServer server;
        server.addConnection(steps);
        RecordingPlatform platform;
        // The check's clock runs 24.5 s behind, as though it had begun that long ago: its 25 s limit
        // comes half a second from now.
        const auto behind = [] { return UpdateCheck::Clock::now() - 24500ms; };
        const auto itsStart = behind();
        UpdateCheck(hostOf(server), platform, behind).CheckForUpdate(nullptr);
        const auto sinceItsStart = UpdateCheck::Clock::now() - itsStart;
        // The limit ended the check, not the read time-out nor the server; what arrived asks.
        QVERIFY2(sinceItsStart >= 24750ms && sinceItsStart < 32s,
                 qPrintable(QStringLiteral("%1 ms").arg(
                     std::chrono::duration_cast<std::chrono::milliseconds>(sinceItsStart).count())));
        QCOMPARE(platform.questions.size(), 1);
    }
};

TAMSEL_APP_TEST_MAIN(UpdateCheckTest)
#include "update_check_test.moc"

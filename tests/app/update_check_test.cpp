#include "recording_platform.h"
#include "scripted_server.h"
#include "update_check.h"

#include <QElapsedTimer>
#include <QTest>

using namespace std::chrono_literals;
using tamsel::app::UpdateCheck;
using tamsel::app::testing::RecordingPlatform;
using tamsel::testing::ScriptedServer;

namespace {

std::string answer(const std::string& status, const std::string& body, const std::string& extraHeaders = {})
{
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
}

std::string hostOf(const ScriptedServer& server)
{
    return "127.0.0.1:" + std::to_string(server.port());
}

}  // namespace

class UpdateCheckTest : public QObject {
    Q_OBJECT

private slots:
    void theVersionFileDecidesWhetherToAsk_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("asked");
        QTest::newRow("exactly 1.09 is current") << QByteArray("1.09") << false;
        QTest::newRow("1.09 inside a page is current") << QByteArray("<p>Tamsel 1.09 released</p>") << false;
        QTest::newRow("1.091 counts as current") << QByteArray("1.091") << false;
        QTest::newRow("1.10 is newer") << QByteArray("1.10") << true;
        QTest::newRow("an error page with a success status asks") << QByteArray("<h1>Server busy</h1>") << true;
        QTest::newRow("a page of white space asks") << QByteArray(" \r\n ") << true;
        QTest::newRow("an empty body asks nothing") << QByteArray() << false;
    }

    void theVersionFileDecidesWhetherToAsk()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, asked);
        ScriptedServer server;
        server.addConnection({ScriptedServer::receive(), ScriptedServer::send(answer("200 OK", body.toStdString()))});
        RecordingPlatform platform;
        UpdateCheck(hostOf(server), platform).CheckForUpdate(nullptr);

        QCOMPARE(platform.questions.size(), asked ? 1 : 0);
        QVERIFY(platform.opened.isEmpty());
        const std::vector<std::string> requests = server.requests();
        QCOMPARE(requests.size(), std::size_t{1});
        QVERIFY(requests[0].starts_with("GET /quorl/v.php HTTP/1.1\r\n"));
        QVERIFY(requests[0].find("User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.2; SV1; Maxthon; "
                                 ".NET CLR 1.1.4322; .NET CLR 2.0.50727)\r\n") != std::string::npos);
    }

    void yesOpensTheArchiveInTheBrowser()
    {
        ScriptedServer server;
        server.addConnection({ScriptedServer::receive(), ScriptedServer::send(answer("200 OK", "1.10"))});
        RecordingPlatform platform;
        platform.answerYes = true;
        UpdateCheck(hostOf(server), platform).CheckForUpdate(nullptr);

        QCOMPARE(platform.questions.size(), 1);
        QCOMPARE(platform.questions[0].caption, QStringLiteral(" "));
        QCOMPARE(platform.questions[0].text, QStringLiteral("软件版本已更新,是否下载新版软件?"));
        QCOMPARE(platform.opened.size(), 1);
        QCOMPARE(platform.opened[0].toString(), QStringLiteral("http://%1/quorl/Tamsel隐形降权探测软件.rar")
                                                    .arg(QString::fromStdString(hostOf(server))));
    }

    void noOpensNothing()
    {
        ScriptedServer server;
        server.addConnection({ScriptedServer::receive(), ScriptedServer::send(answer("200 OK", "1.10"))});
        RecordingPlatform platform;
        UpdateCheck(hostOf(server), platform).CheckForUpdate(nullptr);
        QCOMPARE(platform.questions.size(), 1);
        QVERIFY(platform.opened.isEmpty());
    }

    void anErrorStatusAsksNothing()
    {
        ScriptedServer server;
        server.addConnection({ScriptedServer::receive(), ScriptedServer::send(answer("404 Not Found", "no 1.10 here"))});
        RecordingPlatform platform;
        UpdateCheck(hostOf(server), platform).CheckForUpdate(nullptr);
        QVERIFY(platform.questions.isEmpty());
    }

    void noServerAsksNothing()
    {
        std::string host;
        {
            ScriptedServer gone;
            host = hostOf(gone);
        }
        RecordingPlatform platform;
        UpdateCheck(host, platform).CheckForUpdate(nullptr);
        QVERIFY(platform.questions.isEmpty());
    }

    void aBodyCutShortWithoutTheVersionAsks()
    {
        ScriptedServer server;
        server.addConnection({ScriptedServer::receive(),
                              ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n<html>1.1"),
                              ScriptedServer::close()});
        RecordingPlatform platform;
        UpdateCheck(hostOf(server), platform).CheckForUpdate(nullptr);
        QCOMPARE(platform.questions.size(), 1);
    }

    void aRedirectIsFollowedAndTheFinalAnswerJudged()
    {
        ScriptedServer server;
        const std::string moved = "Location: http://" + hostOf(server) + "/quorl/v2.php\r\n";
        server.addConnection({ScriptedServer::receive(), ScriptedServer::send(answer("302 Found", "", moved))});
        server.addConnection({ScriptedServer::receive(), ScriptedServer::send(answer("200 OK", "1.10"))});
        RecordingPlatform platform;
        UpdateCheck(hostOf(server), platform).CheckForUpdate(nullptr);
        QCOMPARE(platform.questions.size(), 1);
        QCOMPARE(server.requests().size(), std::size_t{2});
        QVERIFY(server.requests()[1].starts_with("GET /quorl/v2.php "));
    }

    // Each byte comes well within the read time-out, so only the check's own limit ends it.
    void aTricklingServerCannotHoldTheStartUp()
    {
        std::vector<ScriptedServer::Step> steps{ScriptedServer::receive(),
                                                ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n")};
        for (int i = 0; i < 400; ++i) {
            steps.push_back(ScriptedServer::send("x"));
            steps.push_back(ScriptedServer::pause(50ms));
        }
        ScriptedServer server;
        server.addConnection(steps);
        RecordingPlatform platform;
        QElapsedTimer clock;
        clock.start();
        UpdateCheck(hostOf(server), platform).CheckForUpdate(nullptr, 600ms);
        QVERIFY2(clock.elapsed() < 5000, "the check ends near its limit, long before the trickle does");
        QCOMPARE(platform.questions.size(), 1);
    }

    // One byte every 5 s never lets a 10 s read time-out run out; the start-up's own
    // 25 s limit still ends the check, so the window is shown.
    void aFiveSecondTrickleEndsAtTheStartUpLimit()
    {
        std::vector<ScriptedServer::Step> steps{ScriptedServer::receive(),
                                                ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n")};
        for (int i = 0; i < 8; ++i) {
            steps.push_back(ScriptedServer::send("x"));
            steps.push_back(ScriptedServer::pause(5s));
        }
        ScriptedServer server;
        server.addConnection(steps);
        RecordingPlatform platform;
        QElapsedTimer clock;
        clock.start();
        UpdateCheck(hostOf(server), platform).CheckForUpdate(nullptr);
        QVERIFY2(clock.elapsed() >= 24000 && clock.elapsed() < 27000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(platform.questions.size(), 1);
    }
};

QTEST_GUILESS_MAIN(UpdateCheckTest)
#include "update_check_test.moc"

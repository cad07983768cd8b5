// How long a client takes to give up, against a loopback peer that never answers: after its abort
// flag is set, past its deadline, and past a connect's time limit. Every wait is cut into slices
// of 125 ms, so no figure should pass that by much.
#include "http_client.h"
#include "scripted_server.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace std::chrono_literals;
using tamsel::net::HttpClient;
using tamsel::net::HttpError;
using tamsel::testing::FullBacklogListener;
using tamsel::testing::ScriptedServer;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int LongReadTimeoutMs = 60000;

void fail(HttpClient& client, const std::string& url)
{
    std::string output;
    try {
        client.Get(url, output);
    } catch (const HttpError&) {
        return;
    }
    std::fprintf(stderr, "the Get did not fail\n");
    std::exit(1);
}

// From the flag being set to the Get failing, while the client waits for an answer.
void AbortWhileWaitingForAnAnswer(benchmark::State& state)
{
    for (auto _ : state) {
        ScriptedServer server;
        server.addConnection({ScriptedServer::receive(), ScriptedServer::hold()});
        std::atomic<bool> abort{false};
        Clock::time_point setAt;
        std::thread setter([&] {
            server.waitForRequests(1);
            setAt = Clock::now();
            abort = true;
        });
        HttpClient client;
        client.ReadTimeout = LongReadTimeoutMs;
        client.setAbortFlag(&abort);
        fail(client, server.url());
        const auto endedAt = Clock::now();
        setter.join();
        state.SetIterationTime(std::chrono::duration<double>(endedAt - setAt).count());
    }
}

// From the deadline to the Get failing, while the client waits for an answer.
void PastTheDeadline(benchmark::State& state)
{
    for (auto _ : state) {
        ScriptedServer server;
        server.addConnection({ScriptedServer::receive(), ScriptedServer::hold()});
        HttpClient client;
        client.ReadTimeout = LongReadTimeoutMs;
        const auto deadline = Clock::now() + 200ms;
        client.setDeadline(deadline);
        fail(client, server.url());
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - deadline).count());
    }
}

// From the connect's time limit to the Get failing, against a listener that never accepts.
void PastTheConnectTimeLimit(benchmark::State& state)
{
    for (auto _ : state) {
        FullBacklogListener listener;
        if (!listener.full()) {
            state.SkipWithError("the listener's queue did not fill");
            return;
        }
        HttpClient client;
        client.ReadTimeout = 200;
        const auto start = Clock::now();
        fail(client, "http://127.0.0.1:" + std::to_string(listener.port()) + "/");
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start - 200ms).count());
    }
}

}  // namespace

BENCHMARK(AbortWhileWaitingForAnAnswer)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(PastTheDeadline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(PastTheConnectTimeLimit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

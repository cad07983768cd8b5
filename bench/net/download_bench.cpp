// Loopback download: `tamsel-cli get` against `curl -s -o /dev/null` on the same URLs, the same
// run. Prints one line per body framing: median seconds of each and our throughput over curl's.
//   tamsel_net_download_bench [--size-mib N] [--runs N] [--cli PATH] [--serve SECONDS]
// --serve only serves the two URLs for that long, printing the port, for measuring by hand.
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

double runSeconds(std::vector<std::string> args)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        waitpid(pid, &status, 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    if (status != 0) {
        std::fprintf(stderr, "%s failed (status %d)\n", argv[0], status);
        std::exit(1);
    }
    return seconds;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    std::size_t sizeMib = 64;
    int runs = 7;
    int serveSeconds = 0;
    std::string cli = TAMSEL_CLI_PATH;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--size-mib") == 0)
            sizeMib = std::stoul(argv[i + 1]);
        else if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::stoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--cli") == 0)
            cli = argv[i + 1];
        else if (std::strcmp(argv[i], "--serve") == 0)
            serveSeconds = std::stoi(argv[i + 1]);
    }
    const std::size_t size = sizeMib << 20;
    const std::string body(size, 'x');

    httplib::Server server;
    server.Get("/content-length", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(size, "application/octet-stream",
                                      [&](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                          return sink.write(body.data() + offset, std::min<std::size_t>(length, 65536));
                                      });
    });
    server.Get("/chunked", [&](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("application/octet-stream", [&](std::size_t offset, httplib::DataSink& sink) {
            if (offset >= size) {
                sink.done();
                return true;
            }
            return sink.write(body.data() + offset, std::min<std::size_t>(65536, size - offset));
        });
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread loop([&] { server.listen_after_bind(); });

    if (serveSeconds > 0) {
        std::printf("port=%d\n", port);
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::seconds(serveSeconds));
        runs = 0;
    }
    std::printf("# size_bytes=%zu runs=%d\n", size, runs);
    for (const char* path : {"/content-length", "/chunked"}) {
        if (runs == 0)
            break;
        const std::string url = "http://127.0.0.1:" + std::to_string(port) + path;
        std::vector<double> ours, curls;
        for (int i = 0; i < runs; ++i) {
            ours.push_back(runSeconds({cli, "get", url}));
            curls.push_back(runSeconds({"curl", "-s", "-o", "/dev/null", url}));
        }
        const double oursMedian = median(ours), curlMedian = median(curls);
        std::printf("body=%s ours_s=%.4f curl_s=%.4f ours_mib_s=%.0f curl_mib_s=%.0f ratio=%.2f\n", path + 1, oursMedian,
                    curlMedian, sizeMib / oursMedian, sizeMib / curlMedian, curlMedian / oursMedian);
    }
    server.stop();
    loop.join();
    return 0;
}

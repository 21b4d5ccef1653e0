// Benchmark of the HTTP client: time from p_Send to the callback for 1 KB and 1 MB replies from
// a loopback server, beside curl fetching the same, printed as medians and a ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "net/net.h"
#include "support/loopback_server.h"

namespace {

using Clock = std::chrono::steady_clock;

// Timed runs per reply size, after the warm-up runs.
constexpr int kRuns = 25;
constexpr int kWarmUp = 3;

class Done : public Object, public virtual c_IOnHttpRequestComplete {
 public:
  int calls = 0;
  int status = 0;
  int length = 0;
  int p_OnHttpRequestComplete(c_HttpRequest* r) override {
    ++calls;
    status = r->p_Status();
    length = r->p_ResponseText().Length();
    return 0;
  }
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// One request, pumping as fast as the main thread can; milliseconds from p_Send to the callback.
double FetchOnce(const std::string& url, size_t expectLength) {
  Done* done = new Done;
  c_HttpRequest* req = (new c_HttpRequest)->m_new2(String("GET"), String(url.c_str()), done);
  auto start = Clock::now();
  req->p_Send();
  while (done->calls == 0) {
    ox_asyncevent_UpdateAsyncEvents();
    std::this_thread::yield();
  }
  double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  if (done->status != 200 || static_cast<size_t>(done->length) != expectLength) {
    std::fprintf(stderr, "bad reply: status %d, %d characters\n", done->status, done->length);
    std::exit(1);
  }
  // Outside the timed part: the finished request is garbage; collect it and let later
  // allocations destroy it, so that each run starts from a settled heap as a game would.
  gc_collect_all();
  for (int i = 0; i < 64; ++i) (new c_DataBuffer)->m_new2();
  return ms;
}

// One curl run: the wall time of the whole process and curl's own time_total, in milliseconds.
bool CurlOnce(const std::string& url, double* wallMs, double* totalMs) {
  std::string cmd = "curl -s -o /dev/null -w '%{time_total}' '" + url + "'";
  auto start = Clock::now();
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return false;
  char out[64] = {0};
  size_t n = std::fread(out, 1, sizeof out - 1, p);
  int status = pclose(p);
  *wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  *totalMs = std::atof(std::string(out, n).c_str()) * 1000.0;
  return status == 0 && n > 0;
}

}  // namespace

int main() {
  bool haveCurl = std::system("curl --version >/dev/null 2>&1") == 0;
  std::printf("%-6s %12s %14s %16s %12s %12s\n", "reply", "ours (ms)", "curl wall(ms)", "curl total(ms)",
              "ours/wall", "ours/total");
  for (size_t size : {size_t(1024), size_t(1024 * 1024)}) {
    std::string body(size, 'x');
    qrtest::ServerScript script;
    script.chunks = {"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body};
    qrtest::LoopbackServer server(script);
    const std::string url = server.Url("/bench");

    std::vector<double> ours, wall, total;
    for (int i = 0; i < kWarmUp + kRuns; ++i) {
      double ms = FetchOnce(url, size);
      if (i >= kWarmUp) ours.push_back(ms);
    }
    if (haveCurl) {
      for (int i = 0; i < kWarmUp + kRuns; ++i) {
        double w = 0, t = 0;
        if (!CurlOnce(url, &w, &t)) {
          haveCurl = false;
          break;
        }
        if (i >= kWarmUp) {
          wall.push_back(w);
          total.push_back(t);
        }
      }
    }
    const char* label = size == 1024 ? "1 KB" : "1 MB";
    if (haveCurl) {
      double o = Median(ours), w = Median(wall), t = Median(total);
      std::printf("%-6s %12.3f %14.3f %16.3f %12.2f %12.2f\n", label, o, w, t, o / w, o / t);
    } else {
      std::printf("%-6s %12.3f %14s %16s\n", label, Median(ours), "(no curl)", "-");
    }
  }
  return 0;
}

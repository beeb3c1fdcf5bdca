#include "serve/web_server.h"

#include <httplib.h>
#include <signal.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <random>
#include <thread>

#include "serve/match_watch.h"
#include "serve/page_files.h"
#include "serve/session_engine.h"
#include "serve/web_requests.h"

namespace zarvo::serve {
namespace {

using namespace std::chrono_literals;

std::atomic<bool> stopRequested{false};

extern "C" void RequestStop(int) {
  stopRequested = true;
}

// Game ids of a new server start far from any earlier one's, so an old tab is told to reload.
uint64_t FirstGameId() {
  std::random_device device;
  return (static_cast<uint64_t>(device()) << 16) * 1000;
}

// Pages, live updates and keep-alive connections each hold a thread of the pool while open.
constexpr std::size_t kServerThreads = 32;
constexpr std::size_t kLargestRequest = std::size_t{1} << 20;  // a record is a few kilobytes
// How often a watched match's folder is read: a move shows within a fifth of a second.
constexpr auto kWatchPoll = 200ms;

class TBoardServer {
 public:
  TBoardServer(const TServeOptions& options, const std::filesystem::path& scratch)
      : session_(options.Settings,
                 options.Engine ? options.EngineLabel : std::string(kBuiltInLabel), FirstGameId(),
                 !options.Engine || options.Engine->Pipe),
        engine_(options.Engine, options.EngineLabel, scratch) {
    if (options.WatchDir) watch_.emplace(*options.WatchDir);
    Routes();
  }

  bool Bind(const TServeOptions& options, int& port) {
    if (options.Port == 0) {
      port = server_.bind_to_any_port(options.Address);
      return port > 0;
    }
    port = options.Port;
    return server_.bind_to_port(options.Address, options.Port);
  }

  // Until Stop.
  void Serve() {
    std::thread worker([this] { watch_ ? WatchLoop() : WorkerLoop(); });
    server_.listen_after_bind();
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    worker.join();
  }

  void Stop() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    server_.stop();
  }

 private:
  // The engine's jobs, one at a time, outside the lock: requests go on while it thinks.
  void WorkerLoop() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
      const std::optional<TThinkJob> job = session_.TakeJob();
      if (!job) {
        changed_.wait(lock);
        continue;
      }
      lock.unlock();
      const TJobResult result = engine_.Run(*job, [this, id = job->Id](const TSearchInfo& info) {
        {
          std::lock_guard progressLock(mutex_);
          session_.JobProgressed(id, info);
        }
        changed_.notify_all();
      });
      lock.lock();
      session_.JobFinished(job->Id, result);
      changed_.notify_all();
    }
  }

  // The watched folder, read again a few times a second; the pages hear of every change.
  void WatchLoop() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
      if (watch_->Poll()) changed_.notify_all();
      changed_.wait_for(lock, kWatchPoll, [this] { return stopping_; });
    }
  }

  uint64_t Version() const { return watch_ ? watch_->Version() : session_.Version(); }
  std::string StateJson() const { return watch_ ? watch_->StateJson() : session_.StateJson(); }

  static void Json(httplib::Response& response, int status, const std::string& body) {
    response.status = status;
    response.set_header("Cache-Control", "no-store");
    response.set_content(body, "application/json");
  }

  void Routes() {
    server_.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    server_.set_payload_max_length(kLargestRequest);
    server_.set_keep_alive_timeout(2);
    server_.set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
          Json(response, 500, "{\"error\":\"The server failed on this request.\"}");
        });

    // 1. The page: its own files only.
    for (const TPageFile& file : PageFiles()) {
      server_.Get(std::string(file.Path),
                  [file](const httplib::Request&, httplib::Response& response) {
                    response.set_header("Content-Security-Policy", "default-src 'self'");
                    response.set_content(std::string(file.Content), std::string(file.ContentType));
                  });
    }

    // 2. The state now, and from then on at every change.
    server_.Get("/api/state", [this](const httplib::Request&, httplib::Response& response) {
      std::lock_guard lock(mutex_);
      Json(response, 200, StateJson());
    });
    server_.Get("/api/events", [this](const httplib::Request&, httplib::Response& response) {
      response.set_header("Cache-Control", "no-store");
      response.set_chunked_content_provider(
          "text/event-stream",
          [this, sent = uint64_t{0}](std::size_t, httplib::DataSink& sink) mutable {
            std::string event;
            {
              std::unique_lock lock(mutex_);
              changed_.wait_for(lock, 1s, [&] { return stopping_ || Version() != sent; });
              if (stopping_) return false;
              if (Version() != sent) {
                sent = Version();
                event = "data: " + StateJson() + "\n\n";
              } else {
                // A comment line: finds out soon when the page has gone.
                event = ": waiting\n\n";
              }
            }
            return sink.write(event.data(), event.size());
          });
    });

    // 3. The record of the finished game, as a file to keep.
    server_.Get("/api/record", [this](const httplib::Request&, httplib::Response& response) {
      std::lock_guard lock(mutex_);
      TRefusal refusal;
      if (watch_) return Json(response, 409, WatchingJson());
      if (const auto text = session_.RecordText(refusal)) {
        response.set_header("Content-Disposition", "attachment; filename=\"zarvo-game.txt\"");
        response.set_content(*text, "text/plain; charset=utf-8");
      } else {
        Json(response, refusal.Status, RefusalJson(refusal, session_));
      }
    });

    // 4. Every change: form fields in, the new state or the reason for a refusal out.
    server_.Post(R"(/api/([a-z-]+))",
                 [this](const httplib::Request& request, httplib::Response& response) {
                   TResponse answer;
                   {
                     std::lock_guard lock(mutex_);
                     if (watch_) return Json(response, 409, WatchingJson());
                     answer = HandleAction(session_, request.matches[1].str(), request.params);
                   }
                   changed_.notify_all();
                   Json(response, answer.Status, answer.Body);
                 });
  }

  // A watched match is the match's: the page changes nothing of it.
  std::string WatchingJson() const {
    return "{\"error\":\"This board only watches the match in its folder: nothing can be played "
           "or saved here (the records are in the folder).\",\"state\":" +
           watch_->StateJson() + "}";
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  bool stopping_ = false;
  TGameSession session_;
  TSessionEngine engine_;
  std::optional<TMatchWatch> watch_;
  httplib::Server server_;
};

}  // namespace

int RunWebServer(const TServeOptions& options, std::ostream& out, std::ostream& err) {
  // A page closed while its events are written must not end the server; engines are started
  // with the default again.
  ::signal(SIGPIPE, SIG_IGN);
  try {
    const match::TScratchDir scratch;
    TBoardServer server(options, scratch.Path());
    int port = 0;
    if (!server.Bind(options, port)) {
      err << "zarvo serve: cannot listen on " << options.Address << " port " << options.Port
          << " (in use, or no such address here)\n";
      return 1;
    }
    struct sigaction action {};
    action.sa_handler = RequestStop;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    std::atomic<bool> served{false};
    std::thread watcher([&] {
      while (!stopRequested && !served) std::this_thread::sleep_for(50ms);
      server.Stop();
    });
    const std::string host = options.Address.find(':') == std::string::npos
                                 ? options.Address
                                 : "[" + options.Address + "]";
    out << "zarvo serve: the board is at http://" << host << ":" << port
        << "/ (Ctrl-C stops the server)\n"
        << std::flush;
    server.Serve();
    served = true;
    watcher.join();
    out << "zarvo serve: stopped\n";
    return 0;
  } catch (const std::exception& failure) {
    err << "zarvo serve: " << failure.what() << '\n';
    return 1;
  }
}

}  // namespace zarvo::serve

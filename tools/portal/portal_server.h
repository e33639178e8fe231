// The portal's HTTP server on 127.0.0.1. It accepts connections itself (one thread per
// connection) and lets the HTTP library parse each request and write each answer on a
// stream the portal owns; every request is logged before it is answered.
#pragma once

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <httplib.h>

#include "connection.h"
#include "fault_plan.h"
#include "portal_router.h"
#include "request_log.h"
#include "stop_flag.h"

namespace portal {

class PortalServer : private httplib::Server {
 public:
  PortalServer(PortalRouter router, FaultPlan faults, RequestLog& log);
  ~PortalServer() override;

  // Binds 127.0.0.1:port (0: a free port). Returns the bound port, or -1 with *error.
  int Bind(int port, std::string* error);
  // Serves until Stop(); returns once every connection has ended.
  void Run();
  // Ends Run() from any thread: open connections are cut and waits are cut short.
  void Stop();

 private:
  struct Worker {
    std::shared_ptr<Connection> connection;
    std::thread thread;
    std::atomic<bool> done{false};
  };

  void Serve(Connection& connection);
  HandlerResponse Answer(Connection& connection, const httplib::Request& request, httplib::Response& response);
  void ReapFinished();
  void RefuseBusy(int fd);

  PortalRouter m_router;
  FaultPlan m_faults;
  RequestLog& m_log;
  StopFlag m_stop;
  int m_listen_fd = -1;
  int m_wake_pipe[2] = {-1, -1};
  std::mutex m_workers_mutex;
  std::list<Worker> m_workers;
};

}  // namespace portal

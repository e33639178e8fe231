// One accepted client socket, seen by the HTTP library as its stream. Owning the socket
// lets the portal keep each request line exactly as received and play the faults that
// need the raw connection (garbage, stall, reset).
#pragma once

#include <string>

#include <httplib.h>

namespace portal {

class Connection : public httplib::Stream {
 public:
  explicit Connection(int fd);
  ~Connection() override;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Waits (bounded by the idle time-out) for the next request line and reads it. False
  // when the peer closed or stayed silent. The line is kept as received; for the
  // library a '?' after the first one in the target is passed on as "%3F", since a
  // query may hold '?' but the library refuses a second one.
  bool ReadRequestLine();
  // The last request line as received, without its line break.
  const std::string& RequestLine() const { return m_request_line; }

  // Writes bytes straight to the socket, outside HTTP.
  bool SendRaw(const std::string& bytes);
  // From now on everything the library writes is dropped, and the connection ends
  // after the current request.
  void Mute();
  // Ends the connection with a TCP reset; later writes fail.
  void Reset();
  // Unblocks every wait on the socket (shutdown).
  void Interrupt();
  bool Ending() const { return m_muted || m_reset; }

  bool is_readable() const override;
  bool is_writable() const override;
  ssize_t read(char* ptr, size_t size) override;
  ssize_t write(const char* ptr, size_t size) override;
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  socket_t socket() const override { return m_fd; }

 private:
  bool WaitFor(short events, int timeout_ms) const;
  bool Fill();

  int m_fd;
  std::string m_buffer;  // received, not yet handed to the library
  size_t m_position = 0;
  std::string m_request_line;
  bool m_muted = false;
  bool m_reset = false;
};

}  // namespace portal

// Single byte ranges of an answer (Range and If-Range), so that a client can resume an
// interrupted download of a large installer.
#pragma once

#include <string>

#include "reply.h"

namespace portal {

class ByteRange {
 public:
  // The answer to a request with these Range and If-Range values (empty when absent):
  //  - 206 with Content-Range for one satisfiable range "bytes=N-" or "bytes=N-M";
  //  - 416 with "Content-Range: bytes */SIZE" when N lies at or past the end;
  //  - the full answer otherwise: no range, several ranges, a malformed one, an answer
  //    other than 200, or an If-Range that matches neither the ETag nor the Last-Modified.
  static Reply Apply(Reply reply, const std::string& range, const std::string& if_range);
};

}  // namespace portal

#pragma once

// TLS for https transfers: the system's trust store (plus an optional extra anchor),
// server name indication, and verification of the certificate's host name, with the three
// relaxations a transfer may ask for. Only `net/` includes this header.

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <memory>
#include <optional>
#include <string>

#include "net/HttpMessage.h"
#include "net/HttpTransfer.h"

namespace quendra::detail {

using TlsStream = boost::asio::ssl::stream<boost::asio::ip::tcp::socket&>;

// A client context that verifies peers against the system store and `tls.extraCaFile`,
// accepting exactly the faults `tls` names. Nothing when the store cannot be loaded.
std::unique_ptr<boost::asio::ssl::context> MakeTlsContext(const TransferTls& tls,
                                                          std::string& error);

// Sets the server name (for a host name, not an address) and the name or address the
// certificate must carry, unless `tls.ignoreHostName`.
bool PrepareTlsStream(TlsStream& stream, const std::string& host, const TransferTls& tls);

// The failure for a handshake that ended with `ec`, naming the certificate fault when
// verification refused it.
HttpFailure DescribeTlsFailure(TlsStream& stream, const boost::system::error_code& ec,
                               const std::string& peer);

}  // namespace quendra::detail

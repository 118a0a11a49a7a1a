#include "net/TlsSession.h"

#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace quendra::detail {

namespace asio = boost::asio;
namespace ssl = boost::asio::ssl;

namespace {

bool IsAddress(const std::string& host) {
    boost::system::error_code ec;
    asio::ip::make_address(host, ec);
    return !ec;
}

bool Relaxed(int error, const TransferTls& tls) {
    switch (error) {
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return tls.ignoreHostName;
        case X509_V_ERR_CERT_HAS_EXPIRED:
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return tls.ignoreDates;
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
            return tls.ignoreUnknownAuthority;
        default:
            return false;
    }
}

}  // namespace

std::unique_ptr<ssl::context> MakeTlsContext(const TransferTls& tls, std::string& error) {
    auto context = std::make_unique<ssl::context>(ssl::context::tls_client);
    boost::system::error_code ec;
    context->set_default_verify_paths(ec);
    if (!ec && !tls.extraCaFile.empty())
        context->load_verify_file(tls.extraCaFile, ec);
    if (ec) {
        error = "Cannot load the trusted certificates: " + ec.message();
        return nullptr;
    }
    context->set_verify_mode(ssl::verify_peer);
    context->set_verify_callback([tls](bool preverified, ssl::verify_context& ctx) {
        if (preverified)
            return true;
        return Relaxed(X509_STORE_CTX_get_error(ctx.native_handle()), tls);
    });
    return context;
}

bool PrepareTlsStream(TlsStream& stream, const std::string& host, const TransferTls& tls) {
    SSL* ssl = stream.native_handle();
    const bool address = IsAddress(host);
    if (!address && SSL_set_tlsext_host_name(ssl, host.c_str()) != 1)
        return false;
    if (tls.ignoreHostName)
        return true;
    X509_VERIFY_PARAM* param = SSL_get0_param(ssl);
    if (address)
        return X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str()) == 1;
    X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    return X509_VERIFY_PARAM_set1_host(param, host.c_str(), host.size()) == 1;
}

HttpFailure DescribeTlsFailure(TlsStream& stream, const boost::system::error_code& ec,
                               const std::string& peer) {
    const long verify = SSL_get_verify_result(stream.native_handle());
    if (verify != X509_V_OK) {
        return {HttpFailureKind::Certificate, "The certificate of " + peer + " is not accepted: " +
                                                  X509_verify_cert_error_string(verify)};
    }
    return {HttpFailureKind::Certificate,
            "The TLS handshake with " + peer + " failed: " + ec.message()};
}

}  // namespace quendra::detail

#include "publish/tls_context.h"

#include "store/error.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

namespace quillery {
namespace {

struct BioDeleter {
    void operator()(BIO* bio) const { BIO_free(bio); }
};

std::string NameText(const X509_NAME* name) {
    const std::unique_ptr<BIO, BioDeleter> bio(BIO_new(BIO_s_mem()));
    // RFC 2253 order, but non-ASCII characters kept as UTF-8 for reading.
    X509_NAME_print_ex(bio.get(), name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return size > 0 ? std::string(data, static_cast<std::size_t>(size)) : std::string();
}

std::string TimeText(const ASN1_TIME* time) {
    std::tm moment{};
    if (time == nullptr || ASN1_TIME_to_tm(time, &moment) != 1) {
        return "?";
    }
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &moment);
    return text;
}

std::string Fingerprint(X509* certificate) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (X509_digest(certificate, EVP_sha256(), digest, &size) != 1) {
        throw Error(TlsErrorText("Cannot compute the certificate's fingerprint"));
    }
    std::string text;
    for (unsigned int i = 0; i < size; ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : ":%02X", digest[i]);
        text += pair;
    }
    return text;
}

int ContextIndex() {
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

} // namespace

TlsCertificate DescribeCertificate(X509* certificate) {
    return {NameText(X509_get_subject_name(certificate)),
            NameText(X509_get_issuer_name(certificate)), TimeText(X509_get0_notBefore(certificate)),
            TimeText(X509_get0_notAfter(certificate)), Fingerprint(certificate)};
}

std::string TlsErrorText(const std::string& fallback) {
    std::string text;
    while (const unsigned long code = ERR_get_error()) {
        char reason[256];
        ERR_error_string_n(code, reason, sizeof reason);
        text += (text.empty() ? "" : "; ") + std::string(reason);
    }
    return text.empty() ? fallback : fallback + ": " + text;
}

TlsContext::TlsContext(std::string host) : m_host(std::move(host)) {
    m_context = SSL_CTX_new(TLS_client_method());
    if (m_context == nullptr) {
        throw Error(TlsErrorText("Cannot set up TLS"));
    }
    SSL_CTX_set_min_proto_version(m_context, TLS1_2_VERSION);
    // Many servers close data connections without close_notify; the reply
    // on the control connection tells whether the transfer was complete.
    SSL_CTX_set_options(m_context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_mode(m_context, SSL_MODE_ENABLE_PARTIAL_WRITE);
    // The handshake always completes; the client looks at the outcome of
    // the verification itself, so it can tell the user what is wrong.
    SSL_CTX_set_verify(m_context, SSL_VERIFY_NONE, nullptr);
    if (SSL_CTX_set_default_verify_paths(m_context) != 1) {
        ERR_clear_error();
    }
    SSL_CTX_set_session_cache_mode(m_context,
                                   SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(m_context, &TlsContext::KeepSession);
}

TlsContext::~TlsContext() {
    SSL_SESSION_free(m_session);
    SSL_CTX_free(m_context);
}

void TlsContext::WatchSessions(SSL* ssl) {
    SSL_set_ex_data(ssl, ContextIndex(), this);
}

int TlsContext::KeepSession(SSL* ssl, SSL_SESSION* session) {
    auto* context = static_cast<TlsContext*>(SSL_get_ex_data(ssl, ContextIndex()));
    if (context == nullptr) {
        return 0;
    }
    SSL_SESSION_free(context->m_session);
    context->m_session = session;
    return 1;
}

} // namespace quillery

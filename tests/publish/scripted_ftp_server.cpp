#include "tests/publish/scripted_ftp_server.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int ListenOnLoopback(std::uint16_t& port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (socket < 0 || bind(socket, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(socket, 4) != 0 ||
        getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port = ntohs(address.sin_port);
    return socket;
}

void CloseSocket(int& socket) {
    if (socket >= 0) {
        close(socket);
        socket = -1;
    }
}

bool SendAll(int socket, const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t count = send(socket, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (count <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(count);
    }
    return true;
}

} // namespace

Script operator+(Script first, const Script& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

ScriptedFtpServer::ScriptedFtpServer(Script script)
    : ScriptedFtpServer(std::move(script), {}, {}) {}

ScriptedFtpServer::ScriptedFtpServer(Script script, const std::string& certificate,
                                     const std::string& key)
    : m_script(std::move(script)) {
    if (!certificate.empty()) {
        // OpenSSL writes with write(): a client gone must not end the test.
        std::signal(SIGPIPE, SIG_IGN);
        m_tls = SSL_CTX_new(TLS_server_method());
        static const unsigned char kContext[] = "scripted";
        if (m_tls == nullptr ||
            SSL_CTX_use_certificate_chain_file(m_tls, certificate.c_str()) != 1 ||
            SSL_CTX_use_PrivateKey_file(m_tls, key.c_str(), SSL_FILETYPE_PEM) != 1 ||
            SSL_CTX_set_session_id_context(m_tls, kContext, sizeof kContext - 1) != 1) {
            SSL_CTX_free(m_tls);
            throw std::runtime_error("cannot load the test certificate");
        }
    }
    m_listener = ListenOnLoopback(m_port);
    if (pipe(m_stopPipe) != 0) {
        throw std::runtime_error("cannot create a pipe");
    }
    m_thread = std::thread([this] { Run(); });
}

ScriptedFtpServer::~ScriptedFtpServer() {
    Finish();
    CloseSocket(m_stopPipe[0]);
    CloseSocket(m_stopPipe[1]);
    SSL_CTX_free(m_tls);
}

void ScriptedFtpServer::Finish() {
    if (m_thread.joinable()) {
        if (!m_clientConnected) {
            const char stop = 's';
            (void)!write(m_stopPipe[1], &stop, 1);
        }
        m_thread.join();
    }
}

std::vector<std::string> ScriptedFtpServer::ExpectedCommands() const {
    std::vector<std::string> commands;
    for (const ServerStep& step : m_script) {
        if (step.kind == ServerStep::Kind::Expect) {
            commands.push_back(step.text);
        }
    }
    return commands;
}

std::vector<std::string> ScriptedFtpServer::ReceivedCommands() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

std::string ScriptedFtpServer::ReceivedData() const {
    std::lock_guard lock(m_mutex);
    return m_receivedData;
}

bool ScriptedFtpServer::WaitReadable(int socket) {
    pollfd entries[2] = {{socket, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
    if (poll(entries, 2, 10000) <= 0) {
        return false;
    }
    return (entries[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

void ScriptedFtpServer::Run() {
    if (WaitReadable(m_listener)) {
        m_control = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        m_clientConnected = m_control >= 0;
    }
    if (m_control >= 0) {
        for (const ServerStep& step : m_script) {
            Play(step);
        }
        // Whatever else the client sends is recorded until it leaves.
        std::string line;
        while (m_control >= 0 && ReadCommand(line)) {
        }
    }
    CloseData(false);
    CloseSocket(m_dataListener);
    SSL_free(m_controlTls);
    m_controlTls = nullptr;
    CloseSocket(m_control);
    CloseSocket(m_listener);
}

bool ScriptedFtpServer::SendOn(int socket, SSL* ssl, const std::string& text) {
    if (ssl == nullptr) {
        return SendAll(socket, text);
    }
    std::size_t written = 0;
    return text.empty() || SSL_write_ex(ssl, text.data(), text.size(), &written) == 1;
}

long ScriptedFtpServer::ReceiveOn(int socket, SSL* ssl, char* buffer, std::size_t size) {
    if (ssl == nullptr) {
        return recv(socket, buffer, size, 0);
    }
    std::size_t received = 0;
    return SSL_read_ex(ssl, buffer, size, &received) == 1 ? long(received) : 0;
}

// A failed handshake leaves the connection closed.
SSL* ScriptedFtpServer::Accept(int socket) {
    SSL* ssl = m_tls != nullptr && socket >= 0 ? SSL_new(m_tls) : nullptr;
    if (ssl == nullptr) {
        return nullptr;
    }
    SSL_set_fd(ssl, socket);
    if (SSL_accept(ssl) != 1) {
        ERR_clear_error();
        SSL_free(ssl);
        return nullptr;
    }
    return ssl;
}

void ScriptedFtpServer::CloseData(bool notify) {
    if (m_dataTls != nullptr) {
        if (notify) {
            SSL_shutdown(m_dataTls);
        }
        SSL_free(m_dataTls);
        m_dataTls = nullptr;
    }
    CloseSocket(m_data);
}

bool ScriptedFtpServer::ReadCommand(std::string& line) {
    for (;;) {
        const std::size_t end = m_input.find("\r\n");
        if (end != std::string::npos) {
            line = m_input.substr(0, end);
            m_input.erase(0, end + 2);
            std::lock_guard lock(m_mutex);
            m_received.push_back(line);
            return true;
        }
        char buffer[4096];
        if ((m_controlTls == nullptr || SSL_pending(m_controlTls) == 0) &&
            !WaitReadable(m_control)) {
            return false;
        }
        const long count = ReceiveOn(m_control, m_controlTls, buffer, sizeof buffer);
        if (count <= 0) {
            return false;
        }
        m_input.append(buffer, static_cast<std::size_t>(count));
    }
}

void ScriptedFtpServer::ReceiveData(std::size_t limit) {
    char buffer[65536];
    std::size_t total = 0;
    while (m_data >= 0 && total < limit &&
           ((m_dataTls != nullptr && SSL_pending(m_dataTls) > 0) || WaitReadable(m_data))) {
        const long count =
            ReceiveOn(m_data, m_dataTls, buffer, std::min(sizeof buffer, limit - total));
        if (count <= 0) {
            break;
        }
        total += static_cast<std::size_t>(count);
        std::lock_guard lock(m_mutex);
        m_receivedData.append(buffer, static_cast<std::size_t>(count));
    }
}

void ScriptedFtpServer::Play(const ServerStep& step) {
    using Kind = ServerStep::Kind;
    if (m_control < 0) {
        return;
    }
    switch (step.kind) {
    case Kind::Expect: {
        std::string line;
        ReadCommand(line);
        break;
    }
    case Kind::Send:
        SendOn(m_control, m_controlTls, step.text);
        break;
    case Kind::SendByteByByte:
        for (char c : step.text) {
            SendOn(m_control, m_controlTls, std::string(1, c));
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        break;
    case Kind::Passive: {
        std::uint16_t port = 0;
        CloseSocket(m_dataListener);
        m_dataListener = ListenOnLoopback(port);
        std::string text = step.text;
        const std::size_t at = text.find("{p}");
        if (at != std::string::npos) {
            text.replace(at, 3, std::to_string(port / 256) + "," + std::to_string(port % 256));
        }
        // The port as one number, as EPSV replies give it.
        const std::size_t decimal = text.find("{port}");
        if (decimal != std::string::npos) {
            text.replace(decimal, 6, std::to_string(port));
        }
        SendOn(m_control, m_controlTls, text + "\r\n");
        break;
    }
    case Kind::AcceptData:
        if (m_dataListener >= 0 && WaitReadable(m_dataListener)) {
            m_data = accept4(m_dataListener, nullptr, nullptr, SOCK_CLOEXEC);
        }
        break;
    case Kind::ReceiveData:
        ReceiveData(SIZE_MAX);
        break;
    case Kind::ReceiveDataThenClose:
        ReceiveData(static_cast<std::size_t>(step.count));
        CloseData(true);
        break;
    case Kind::SendData:
        if (m_data >= 0) {
            SendOn(m_data, m_dataTls, step.text);
        }
        break;
    case Kind::CloseData:
        CloseData(true);
        break;
    case Kind::DropData:
        CloseData(false);
        break;
    case Kind::StartTls:
        m_controlTls = Accept(m_control);
        if (m_controlTls == nullptr) {
            CloseSocket(m_control);
        }
        break;
    case Kind::StartDataTls:
        m_dataTls = Accept(m_data);
        if (m_dataTls == nullptr) {
            CloseSocket(m_data);
        } else if (SSL_session_reused(m_dataTls) != 1) {
            m_dataSessionsResumed = false;
        }
        break;
    case Kind::Pause:
        std::this_thread::sleep_for(std::chrono::milliseconds(step.count));
        break;
    case Kind::Dribble: {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < end && SendAll(m_control, step.text)) {
            pollfd entry{m_control, POLLIN, 0};
            if (poll(&entry, 1, step.count) > 0) {
                char byte = 0;
                if (recv(m_control, &byte, 1, MSG_PEEK) <= 0) {
                    break;
                }
            }
        }
        break;
    }
    case Kind::CloseControl:
        CloseData(false);
        SSL_free(m_controlTls);
        m_controlTls = nullptr;
        CloseSocket(m_control);
        break;
    }
}

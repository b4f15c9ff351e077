#include "tests/publish/scripted_ftp_server.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
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

ScriptedFtpServer::ScriptedFtpServer(Script script) : m_script(std::move(script)) {
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
    CloseSocket(m_data);
    CloseSocket(m_dataListener);
    CloseSocket(m_control);
    CloseSocket(m_listener);
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
        if (!WaitReadable(m_control)) {
            return false;
        }
        const ssize_t count = recv(m_control, buffer, sizeof buffer, 0);
        if (count <= 0) {
            return false;
        }
        m_input.append(buffer, static_cast<std::size_t>(count));
    }
}

void ScriptedFtpServer::ReceiveData(std::size_t limit) {
    char buffer[65536];
    std::size_t total = 0;
    while (m_data >= 0 && total < limit && WaitReadable(m_data)) {
        const ssize_t count = recv(m_data, buffer, std::min(sizeof buffer, limit - total), 0);
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
        SendAll(m_control, step.text);
        break;
    case Kind::SendByteByByte:
        for (char c : step.text) {
            SendAll(m_control, std::string(1, c));
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
        SendAll(m_control, text + "\r\n");
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
        CloseSocket(m_data);
        break;
    case Kind::SendData:
        if (m_data >= 0) {
            SendAll(m_data, step.text);
        }
        break;
    case Kind::CloseData:
        CloseSocket(m_data);
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
        CloseSocket(m_data);
        CloseSocket(m_control);
        break;
    }
}

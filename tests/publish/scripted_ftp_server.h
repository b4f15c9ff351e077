#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// An FTP server of our own on 127.0.0.1 that plays one scripted
// conversation, for server behaviour real servers cannot be made to show.
// It records every command line it receives, including those after the
// script has ended, until the client closes the connection.
struct ServerStep {
    enum class Kind {
        Expect,               // read one command line
        Send,                 // send text as it is
        SendByteByByte,       // send text one byte at a time, 2 ms apart
        Passive,              // open a data port, send text with {p} as "p1,p2"
        AcceptData,           // accept the data connection
        ReceiveData,          // read the data connection until the client closes it
        ReceiveDataThenClose, // read `count` bytes of data, then close it
        SendData,             // send text on the data connection
        CloseData,
        Pause,   // wait `count` milliseconds
        Dribble, // send text every `count` ms until the client leaves
        CloseControl,
        StartTls,     // TLS handshake on the control connection, as server
        StartDataTls, // the same on the data connection
        DropData,     // close the data connection without TLS close_notify
    };
    Kind kind;
    std::string text;
    int count = 0;
};

using Script = std::vector<ServerStep>;

inline ServerStep Expect(std::string command) {
    return {ServerStep::Kind::Expect, std::move(command)};
}
inline ServerStep Reply(std::string line) {
    return {ServerStep::Kind::Send, line + "\r\n"};
}
inline ServerStep SendRaw(std::string text) {
    return {ServerStep::Kind::Send, std::move(text)};
}

Script operator+(Script first, const Script& second);

using SSL_CTX = struct ssl_ctx_st;
using SSL = struct ssl_st;

class ScriptedFtpServer final {
public:
    explicit ScriptedFtpServer(Script script);
    // TLS steps present this certificate and key (PEM files).
    ScriptedFtpServer(Script script, const std::string& certificate, const std::string& key);
    ~ScriptedFtpServer();
    ScriptedFtpServer(const ScriptedFtpServer&) = delete;
    ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

    std::uint16_t Port() const { return m_port; }
    // Waits until the conversation is over; a client that never connected
    // ends it at once.
    void Finish();

    // The command lines the script expects, in order.
    std::vector<std::string> ExpectedCommands() const;
    std::vector<std::string> ReceivedCommands() const;
    std::string ReceivedData() const;
    bool ClientConnected() const { return m_clientConnected; }
    // Every data connection's TLS resumed the control connection's session.
    bool DataSessionsResumed() const { return m_dataSessionsResumed; }

private:
    void Run();
    void Play(const ServerStep& step);
    // Waits for socket to become readable; false when told to stop or after
    // ten seconds.
    bool WaitReadable(int socket);
    bool ReadCommand(std::string& line);
    void ReceiveData(std::size_t limit);
    bool SendOn(int socket, SSL* ssl, const std::string& text);
    long ReceiveOn(int socket, SSL* ssl, char* buffer, std::size_t size);
    SSL* Accept(int socket);
    void CloseData(bool notify);

    Script m_script;
    SSL_CTX* m_tls = nullptr;
    SSL* m_controlTls = nullptr;
    SSL* m_dataTls = nullptr;
    int m_listener = -1;
    int m_control = -1;
    int m_dataListener = -1;
    int m_data = -1;
    int m_stopPipe[2] = {-1, -1};
    std::uint16_t m_port = 0;
    std::string m_input;
    std::atomic<bool> m_clientConnected = false;
    std::atomic<bool> m_dataSessionsResumed = true;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_received;
    std::string m_receivedData;
    std::thread m_thread;
};

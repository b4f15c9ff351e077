#include "tests/site/static_http_server.h"

#include "store/site_folder.h"

#include <QFile>
#include <QTcpSocket>

namespace quillery {
namespace {

QByteArray ContentType(const QString& name, const QByteArray& defaultType) {
    const QString extension = FileExtension(name).toLower();
    if (extension == QLatin1String(".html") || extension == QLatin1String(".htm"))
        return "text/html";
    if (extension == QLatin1String(".css"))
        return "text/css";
    if (extension == QLatin1String(".js"))
        return "text/javascript";
    if (extension == QLatin1String(".txt"))
        return "text/plain";
    if (extension == QLatin1String(".jpg") || extension == QLatin1String(".jpeg"))
        return "image/jpeg";
    if (extension == QLatin1String(".png"))
        return "image/png";
    if (extension == QLatin1String(".gif"))
        return "image/gif";
    return defaultType;
}

QByteArray Head(const QByteArray& status, const QByteArray& type, qsizetype length) {
    return "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
           "\r\nContent-Length: " + QByteArray::number(length) + "\r\nConnection: close\r\n\r\n";
}

} // namespace

StaticHttpServer::StaticHttpServer(QString folder, QByteArray textCharset, QObject* parent)
    : QObject(parent), m_folder(std::move(folder)), m_charset(std::move(textCharset)) {
    if (!m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
    if (!m_server.listen(QHostAddress::LocalHost, 0))
        qFatal("no port for the web server: %s", qPrintable(m_server.errorString()));
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                m_pending.remove(socket);
                socket->deleteLater();
            });
        }
    });
}

QUrl StaticHttpServer::Url(const QString& pathAndQuery) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort()) + pathAndQuery);
}

void StaticHttpServer::Read(QTcpSocket* socket) {
    QByteArray& request = m_pending[socket];
    request += socket->readAll();
    if (!request.contains("\r\n\r\n"))
        return;
    const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
    const QByteArray response =
        words.size() == 3 ? Response(words[0], words[1]) : Head("400 Bad Request", "text/plain", 0);
    request.clear();
    socket->write(response);
    socket->disconnectFromHost();
}

QByteArray StaticHttpServer::Response(const QByteArray& method, const QByteArray& target) {
    const QString path = QUrl::fromPercentEncoding(target.split('?').constFirst());
    m_requests.append(path);
    if (method != "GET" && method != "HEAD")
        return Head("405 Method Not Allowed", "text/plain", 0);
    const QString name = path == QLatin1String("/") ? QStringLiteral("index.html") : path.mid(1);
    QFile file(SiteFilePath(m_folder, name));
    if (!path.startsWith(QLatin1Char('/')) || !file.open(QIODevice::ReadOnly)) {
        const QByteArray body = "Not found";
        return Head("404 Not Found", "text/plain", body.size()) + body;
    }
    const QByteArray body = file.readAll();
    QByteArray type = ContentType(name, m_defaultType);
    if (!m_charset.isEmpty() && type.startsWith("text/"))
        type += "; charset=" + m_charset;
    return Head("200 OK", type, body.size()) + (method == "GET" ? body : QByteArray());
}

} // namespace quillery

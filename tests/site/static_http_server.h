#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

namespace quillery {

// A plain web host for a flat site folder, on 127.0.0.1 at a free port:
// GET and HEAD of the folder's files ("/" is index.html), one request per
// connection, 404 for anything else. With a charset given it is announced
// for every text type, as many hosts do by default.
class StaticHttpServer final : public QObject {
    Q_OBJECT

public:
    explicit StaticHttpServer(QString folder, QByteArray textCharset = {},
                              QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(StaticHttpServer)

    // The type of files the server knows no type for (application/octet-stream
    // unless set); some hosts give them "text/plain".
    void SetDefaultType(QByteArray type) { m_defaultType = std::move(type); }

    // http://127.0.0.1:<port>/ followed by pathAndQuery ("index.html?a.htm").
    QUrl Url(const QString& pathAndQuery = {}) const;
    // The paths asked for so far, in order.
    const QStringList& Requests() const { return m_requests; }

private:
    void Read(QTcpSocket* socket);
    QByteArray Response(const QByteArray& method, const QByteArray& target);

    QTcpServer m_server;
    QString m_folder;
    QByteArray m_charset;
    QByteArray m_defaultType = "application/octet-stream";
    QHash<QTcpSocket*, QByteArray> m_pending;
    QStringList m_requests;
};

} // namespace quillery

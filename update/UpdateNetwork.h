#pragma once

#include "update/core/BankCodeUpdate.h"

#include <QAbstractSocket>
#include <QList>
#include <QSslCertificate>
#include <QUrl>
#include <optional>

// The network side of the daily bank-code download: where the list comes from and how a
// failed request is named.
namespace BankCodeUpdate {

// Where the list comes from. The product always uses the bank's server and the platform's
// trusted certificates; tests point it at a loopback server with a certificate of their own.
struct UpdateSource
{
    QUrl baseUrl;                               // scheme, host and port; the path is ours
    QList<QSslCertificate> extraCaCertificates; // trusted in addition to the platform's
    int inactivityTimeoutMs = 30000;            // no byte for this long ends the download
};

// The bank's server on port 443.
UpdateSource bankSource();
// The source a newly opened update dialog uses: the bank's, unless a test set another.
UpdateSource defaultSource();
void setDefaultSourceForTests(const std::optional<UpdateSource>& source);

// The WinHTTP code of a connection that failed before any answer came. certificateDemanded is
// what the TLS layer showed: the server refused us for want of a client certificate.
int WinHttpErrorCode(QAbstractSocket::SocketError error, bool certificateDemanded = false);

} // namespace BankCodeUpdate

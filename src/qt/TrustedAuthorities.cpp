#include "qt/TrustedAuthorities.h"

#include <QSslCertificate>
#include <QSslConfiguration>

#include "qt/BuiltInAuthorities.h"

namespace quibrant::qt {

void trustBuiltInCertificateAuthorities() {
    trustCertificateAuthorities(QByteArray(kBuiltInAuthoritiesPem));
}

int trustCertificateAuthorities(const QByteArray& pem) {
    const QList<QSslCertificate> authorities = QSslCertificate::fromData(pem, QSsl::Pem);
    if (authorities.isEmpty()) {
        return 0;
    }
    // Added to the default configuration, not set on it: setting the list
    // would drop the system's own authorities.
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificates(authorities);
    QSslConfiguration::setDefaultConfiguration(configuration);
    return static_cast<int>(authorities.size());
}

}  // namespace quibrant::qt

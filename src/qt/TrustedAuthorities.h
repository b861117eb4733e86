#pragma once

#include <QByteArray>

namespace quibrant::qt {

// Adds the certificate authorities built into the program (for a mirror or a
// demo server) to the ones the system trusts. Call once at start-up, before
// the first request.
void trustBuiltInCertificateAuthorities();

// Adds the certificate authorities of a PEM text to the ones the system
// trusts; certificate checking stays on. Returns how many were added.
int trustCertificateAuthorities(const QByteArray& pem);

}  // namespace quibrant::qt

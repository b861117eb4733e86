#pragma once

#include <string>

namespace quibrant {

// The download server the program talks to. Built into the program; a mirror
// replaces the base URL at configure time.
struct ServerConfig {
    // HTTPS URL of the main server's root, ending with "/".
    std::string MainServerBaseUrl;
    // Host name of the main server's file-transfer service.
    std::string MainTransferHost;
    // User name for the main server: the vendor's domain name.
    std::string MainTransferUser;
    std::string MainTransferPassword;

    static ServerConfig builtIn();
};

}  // namespace quibrant

#include "source/ServerConfig.h"

#include "source/ServerUrl.h"

namespace quibrant {

ServerConfig ServerConfig::builtIn() {
    return ServerConfig{
        kConfiguredServerUrl,
        "ftp.quibrant.es",
        "quibrant.es",
        "Kqt47Rzw83",
    };
}

}  // namespace quibrant

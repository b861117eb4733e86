#pragma once

#include <cstdint>
#include <string>

#include "platform/InternetTransfer.h"

namespace quibrant::transfer {

// The members of a transfer component that only keep what the caller set,
// for the next request to use: its host, credentials and address.
class TransferSettings : public platform::InternetTransfer {
  public:
    std::string RemoteHost() const override { return remoteHost_; }
    void setRemoteHost(const std::string& host) override { remoteHost_ = host; }
    std::string UserName() const override { return userName_; }
    void setUserName(const std::string& user) override { userName_ = user; }
    std::string Password() const override { return password_; }
    void setPassword(const std::string& password) override { password_ = password; }
    // Nothing in a GET depends on it.
    void setSetting14(std::int32_t /*value*/) override {}
    std::string URL() const override { return url_; }
    void setURL(const std::string& url) override { url_ = url; }

  private:
    std::string remoteHost_;
    std::string userName_;
    std::string password_;
    std::string url_;
};

}  // namespace quibrant::transfer

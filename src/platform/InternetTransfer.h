#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/Failure.h"

namespace quibrant::platform {

// The Internet transfer component: one request at a time, driven by the caller
// through Execute and answered through StateChanged notifications raised on the
// window's thread.
class InternetTransfer {
  public:
    // The component's published state numbers.
    enum State : std::int16_t {
        kResolvingHost = 1,
        kHostResolved = 2,
        kConnecting = 3,
        kConnected = 4,
        kRequesting = 5,
        kRequestSent = 6,
        kReceivingResponse = 7,
        kResponseReceived = 8,
        kDisconnecting = 9,
        kDisconnected = 10,
        kError = 11,
        kResponseCompleted = 12,
    };

    using StateChangedHandler = std::function<void(std::int16_t State)>;

    virtual ~InternetTransfer() = default;

    virtual void onStateChanged(StateChangedHandler handler) = 0;

    virtual std::string RemoteHost() const = 0;
    virtual void setRemoteHost(const std::string& host) = 0;
    virtual std::string UserName() const = 0;
    virtual void setUserName(const std::string& user) = 0;
    virtual std::string Password() const = 0;
    virtual void setPassword(const std::string& password) = 0;
    // The member with identifier 14; the program only ever writes 0 to it.
    virtual void setSetting14(std::int32_t value) = 0;
    virtual std::string URL() const = 0;
    virtual void setURL(const std::string& url) = 0;

    // Starts the operation on the URL set last and returns at once. Throws
    // Failure when the request cannot even be issued.
    virtual void Execute(const std::string& operation) = 0;

    // The value of a response header, names compared without regard to case;
    // "" when the response does not carry it.
    virtual std::string GetHeader(const std::string& name) = 0;

    // Status of the final response (after redirects), e.g. 200; 0 while no
    // response has arrived. The server's reason phrase is never shown, so the
    // component does not keep it.
    virtual int responseCode() const = 0;

    // Why the request ended without any answer (no connection, an unknown
    // host, a refused certificate, a redirect refused), in the user's words;
    // meaningful once kError was raised for it. Never throws.
    virtual Failure requestFailure() const = 0;

    // The next piece of the body, 1 to `size` bytes, valid until the next call;
    // empty once the body is exhausted. Throws Failure when the body cannot be
    // read (connection lost, stalled, cancelled).
    virtual std::string_view GetChunk(std::int16_t size) = 0;

    // Stops the transfer. Never throws.
    virtual void Cancel() = 0;
};

}  // namespace quibrant::platform

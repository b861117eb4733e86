#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace quibrant::platform {

// Why a file's signature is not the one an installer must carry.
enum class SignatureFault {
    None,           // a valid signature of the expected organisation, trusted
    Missing,        // there is no file at that path (nothing, or a folder)
    Unreadable,     // the file could not be read
    Unsigned,       // no signature at all (or not a program file)
    Malformed,      // a signature or program file that cannot be taken apart
    Tampered,       // the content is not what was signed
    Untrusted,      // the signer's certificate leads to no trusted root
    Expired,        // the certificate was not valid when the file was signed
    ForeignSigner,  // a sound signature, but of another organisation
    WeakDigest,     // signed with a digest too weak to prove anything (MD5, SHA-1)
};

// A file as a signature check read it, held by the system from the check to
// the start, so that what starts is the file that was checked and not one
// put in its place meanwhile.
class CheckedFile {
  public:
    virtual ~CheckedFile() = default;
    // Gives the checked file the name `destination`, replacing any file of
    // that name, and goes on holding it there. Throws Failure when it cannot,
    // with errors::kFileChangedSinceCheck when another file took its place.
    virtual void moveTo(const std::string& destination) = 0;
};

// The bytes of a file, fed in order as it is written, for a check that then
// need not read the whole file again.
class WrittenDigest {
  public:
    virtual ~WrittenDigest() = default;
    virtual void add(const char* data, std::size_t size) = 0;
};

// What a check of a file's Authenticode signature found.
struct SignatureReport {
    // A signature over the file's real digest.
    bool valid = false;
    // Its certificate chains to a trusted root and was valid when it signed.
    bool trustedRoot = false;
    // The signer's subject names the expected organisation.
    bool vendorSigner = false;
    // The organisation the signer's subject names, "" when unknown.
    std::string signer;
    SignatureFault fault = SignatureFault::Unsigned;
    // The system's own result code for support, 0 when it has none.
    std::uint32_t systemCode = 0;
    // The file the check read, held, when the system holds it.
    std::shared_ptr<CheckedFile> held;

    bool trusted() const { return valid && trustedRoot && vendorSigner; }
};

// Checks the Authenticode signature of a program file.
class SignatureCheck {
  public:
    virtual ~SignatureCheck() = default;
    // Never throws: every problem is a fault of the report. `organisation` is
    // the organisation (O=) the signer's subject must name.
    virtual SignatureReport check(const std::string& path, const std::string& organisation) = 0;

    // A digest to feed with the bytes of the file being written as
    // `identity` (PartialFile::identity), or null where the check reads the
    // file itself anyway.
    virtual std::unique_ptr<WrittenDigest> digestWhileWriting(const std::string& /*identity*/) {
        return nullptr;
    }
    // check() of the file `written` was fed with, which may spare reading it
    // again; a file that is not the one written is checked as it is.
    virtual SignatureReport checkWritten(const std::string& path, const std::string& organisation,
                                         const WrittenDigest& /*written*/) {
        return check(path, organisation);
    }
};

}  // namespace quibrant::platform

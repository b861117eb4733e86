#include "posix/AuthenticodeStream.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "LinuxSystem.h"
#include "SignedInstallers.h"
#include "posix/PosixCheckedFile.h"
#include "posix/PosixSignatureCheck.h"

namespace quibrant::test {
namespace {

std::string identityOfPath(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return posix::identityOf(info);
}

// The SHA-256 Authenticode digest of the file at `path`, read whole; "" when
// its layout is not that of a signed program.
std::string wholeFileDigest(const std::string& path, posix::PeLayout& layout) {
    const posix::Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 ||
        posix::readPeLayout(fd.get(), static_cast<std::uint64_t>(info.st_size), layout) !=
            posix::PeShape::Sound ||
        layout.certificateTableSize == 0) {
        return "";
    }
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    EVP_DigestInit_ex(context, EVP_sha256(), nullptr);
    posix::feedAuthenticodeBytes(fd.get(), layout,
                                 [&](const unsigned char* data, std::size_t size) {
                                     EVP_DigestUpdate(context, data, size);
                                 });
    std::string digest(EVP_MAX_MD_SIZE, '\0');
    unsigned int size = 0;
    EVP_DigestFinal_ex(context, reinterpret_cast<unsigned char*>(digest.data()), &size);
    EVP_MD_CTX_free(context);
    digest.resize(size);
    return digest;
}

// Whatever the bytes (damaged headers, odd sizes, a table that does not end
// the file) and however they arrive, a digest taken while writing is the
// digest of the whole file, or none at all.
TEST(AuthenticodeStreamTest, AgreesWithTheWholeFileDigestOnEveryInput) {
    LinuxSystem s;
    std::mt19937 random(20261208);
    int agreed = 0;
    for (const char* name : {"vendor.exe", "sha384.exe", "unsigned.exe", "intermediate.exe"}) {
        const std::string original = readAll(signedInstaller(name));
        ASSERT_FALSE(original.empty()) << name;
        for (int round = 0; round < 150; ++round) {
            std::string bytes = original;
            // Most rounds damage the headers, where the layout comes from.
            const int damage = round % 4 == 0 ? 0 : 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < damage; ++i) {
                const std::size_t in = random() % 2 == 0 ? 512 : bytes.size();
                bytes[random() % in] = static_cast<char>(random());
            }
            if (round % 7 == 3) {
                bytes.resize(random() % bytes.size());
            } else if (round % 7 == 5) {
                bytes += std::string(random() % 64, 'x');
            }
            const std::string path = s.write("programa.exe", bytes);
            posix::AuthenticodeStream stream("");
            for (std::size_t at = 0; at < bytes.size();) {
                const std::size_t piece =
                    std::min<std::size_t>(1 + random() % 3000, bytes.size() - at);
                stream.add(bytes.data() + at, piece);
                at += piece;
            }
            posix::PeLayout layout;
            const std::string whole = wholeFileDigest(path, layout);
            const std::optional<std::string> written = stream.sha256For(layout);
            if (written) {
                SCOPED_TRACE(std::string(name) + " round " + std::to_string(round));
                EXPECT_FALSE(whole.empty());
                EXPECT_EQ(*written, whole);
                ++agreed;
            }
        }
    }
    // Undamaged signed files always have their digest taken while written.
    EXPECT_GE(agreed, 3 * 150 / 4);
}

// The check after a download reads no more than the headers and the
// signature: the digest is the one taken while writing, for the file it was
// written to; any other file under that name is read in full.
TEST(AuthenticodeStreamTest, TheCheckTakesTheWrittenDigestForTheWrittenFileOnly) {
    LinuxSystem s;
    const std::string genuine = readAll(signedInstaller("vendor.exe"));
    std::string altered = genuine;
    // A byte of the DOS header: covered by the digest, harmless to the layout.
    altered[2] ^= 0x55;
    posix::PosixSignatureCheck signatures(readAll(signedInstaller("firma/ca.pem")));
    struct Case {
        const char* what;
        const std::string& fed;
        bool swapped;
        platform::SignatureFault fault;
    };
    const Case cases[] = {
        {"as written", genuine, false, platform::SignatureFault::None},
        // What was fed decides, not the disk: the digest is the written one.
        {"fed other bytes", altered, false, platform::SignatureFault::Tampered},
        {"another file put in its place", genuine, true, platform::SignatureFault::Tampered},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = s.write("escrito.exe", genuine);
        const auto written = signatures.digestWhileWriting(identityOfPath(path));
        written->add(c.fed.data(), c.fed.size());
        if (c.swapped) {
            s.write("otro.exe", altered);
            ASSERT_EQ(::rename((s / "otro.exe").c_str(), path.c_str()), 0);
        }
        EXPECT_EQ(signatures.checkWritten(path, "Quibrant S.L.", *written).fault, c.fault);
    }
}

}  // namespace
}  // namespace quibrant::test

// The update file "update.dat": where it lives, and how it is opened: deciphered with the
// project's update key, its signature checked against the update-signing certificate.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <wincrypt.h>

#include <memory>
#include <vector>

namespace UpdateUtilsNS {

// The process's store holding the update key (certificate and private key). Built on the
// first call; a failure gives null and is tried again on the next call. Closed at exit.
HCERTSTORE GetUpdateKeyStore();

// The default location: <common application data>\Torvan\Kestrin\Update\update.dat.
bool GetUpdateFilePath(char* path, size_t path_size);

// Deciphers and checks the update file at `path` (null: the default location) and writes its
// XML document to `output`. The file is opened for reading with read sharing, so readers in
// several browser processes do not shut each other out. The process keeps the last document
// read while its file stays unchanged (same size, creation and write times): a repeat read
// gives it without deciphering again, still holding the signer to its validity period; a
// changed file is read anew.
bool ReadUpdateFile(IStream* output, const char* path);

// The same document as shared bytes: while the file stays unchanged every call gives the same
// bytes object, so a caller tells an unchanged document by the pointer alone.
typedef std::shared_ptr<const std::vector<BYTE>> UpdateDocument;
bool ReadUpdateDocument(const char* path, UpdateDocument* document);

// Deciphers `file` with the update key, checks the signature and the signer (inside its
// validity period now, SHA-1 thumbprint of the update-signing certificate) and writes the
// signed content to `output`. `output` may hold content when the result is false.
bool OpenUpdateMessage(IStream* file, IStream* output);

// What a message must satisfy. The system always uses the defaults; tests name other
// certificates and moments.
struct UpdateTrust {
  HCERTSTORE key_store;           // holds the private key the message is enciphered for
  const char* signer_thumbprint;  // 40 lower-case hexadecimal digits
  const FILETIME* at;             // the moment of the validity check; null: now
};
UpdateTrust DefaultUpdateTrust();
// Seam: the moment the file readers hold the signer to (a fresh read and a repeated one alike);
// null: now. The system never sets it.
void SetUpdateClockForTesting(const FILETIME* at);
bool OpenUpdateMessage(IStream* file, IStream* output, const UpdateTrust& trust);

// True when `signer` is inside its validity period at `at` (null: now) and its SHA-1
// thumbprint is `thumbprint`.
bool IsUpdateSigner(PCCERT_CONTEXT signer, const char* thumbprint, const FILETIME* at);

}  // namespace UpdateUtilsNS

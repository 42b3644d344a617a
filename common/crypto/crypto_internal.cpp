#include "common/crypto/crypto_internal.h"

#include <cstring>

namespace CryptoNS {
namespace internal {

bool ReadElement(Der* in, BYTE* tag, Der* content, Der* whole) {
  if (in->size < 2) return false;
  const BYTE* start = in->data;
  size_t pos = 0;
  *tag = start[pos++];
  if ((*tag & 0x1F) == 0x1F) return false;  // high tag numbers are not used here
  size_t length = start[pos++];
  if (length & 0x80) {
    size_t count = length & 0x7F;
    if (count == 0 || count > 4 || pos + count > in->size) return false;
    length = 0;
    for (size_t i = 0; i < count; ++i) length = (length << 8) | start[pos++];
  }
  if (length > in->size - pos) return false;
  content->data = start + pos;
  content->size = length;
  if (whole) {
    whole->data = start;
    whole->size = pos + length;
  }
  in->data += pos + length;
  in->size -= pos + length;
  return true;
}

bool Expect(Der* in, BYTE tag, Der* content, Der* whole) {
  BYTE got = 0;
  Der copy = *in;
  if (!ReadElement(&copy, &got, content, whole) || got != tag) return false;
  *in = copy;
  return true;
}

bool Equals(const Der& d, const BYTE* bytes, size_t size) {
  return d.size == size && std::memcmp(d.data, bytes, size) == 0;
}

bool AppendOctets(BYTE tag, const Der& content, std::vector<BYTE>* out, int depth) {
  if (depth > kMaxOctetDepth) return false;
  if (!(tag & 0x20)) {
    out->insert(out->end(), content.data, content.data + content.size);
    return true;
  }
  Der rest = content;
  while (rest.size) {
    BYTE piece_tag = 0;
    Der piece;
    if (!ReadElement(&rest, &piece_tag, &piece) || (piece_tag & 0x1F) != 0x04) return false;
    if (!AppendOctets(piece_tag, piece, out, depth + 1)) return false;
  }
  return true;
}

bool ReadSmallInteger(const Der& content, DWORD* value) {
  if (content.size == 0 || content.size > 4 || (content.data[0] & 0x80)) return false;
  DWORD v = 0;
  for (size_t i = 0; i < content.size; ++i) v = (v << 8) | content.data[i];
  *value = v;
  return true;
}

bool AcquireCipherProvider(CProvider* prov) {
  if (CryptAcquireContextW(prov->Receive(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return true;
  // Systems before the AES provider still do DES and 3DES.
  return CryptAcquireContextW(prov->Receive(), nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) != FALSE;
}

bool DecryptCbc(ALG_ID alg, const std::vector<BYTE>& raw_key, const BYTE* iv, const std::vector<BYTE>& data,
                DWORD block_size, std::vector<BYTE>* plain) {
  if (raw_key.empty() || data.empty() || data.size() % block_size) return false;
  CProvider prov;
  if (!AcquireCipherProvider(&prov)) return false;

  std::vector<BYTE> blob(sizeof(BLOBHEADER) + sizeof(DWORD) + raw_key.size());
  auto* header = reinterpret_cast<BLOBHEADER*>(blob.data());
  header->bType = PLAINTEXTKEYBLOB;
  header->bVersion = CUR_BLOB_VERSION;
  header->reserved = 0;
  header->aiKeyAlg = alg;
  DWORD key_size = static_cast<DWORD>(raw_key.size());
  std::memcpy(blob.data() + sizeof(BLOBHEADER), &key_size, sizeof(key_size));
  std::memcpy(blob.data() + sizeof(BLOBHEADER) + sizeof(DWORD), raw_key.data(), raw_key.size());
  CKey key;
  BOOL imported = CryptImportKey(prov.Get(), blob.data(), static_cast<DWORD>(blob.size()), 0, 0, key.Receive());
  SecureZeroMemory(blob.data(), blob.size());
  if (!imported) return false;

  DWORD mode = CRYPT_MODE_CBC;
  if (!CryptSetKeyParam(key.Get(), KP_MODE, reinterpret_cast<BYTE*>(&mode), 0) ||
      !CryptSetKeyParam(key.Get(), KP_IV, const_cast<BYTE*>(iv), 0))
    return false;
  std::vector<BYTE> buffer = data;
  DWORD length = static_cast<DWORD>(buffer.size());
  if (!CryptDecrypt(key.Get(), 0, TRUE, 0, buffer.data(), &length)) return false;
  buffer.resize(length);
  plain->swap(buffer);
  return true;
}

}  // namespace internal
}  // namespace CryptoNS

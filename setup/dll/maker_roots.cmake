# Writes the SHA-1 thumbprints of the maker's first and second root certificates (DER files)
# as lower-case hex text constants.
file(SHA1 "${FIRST}" first)
file(SHA1 "${SECOND}" second)
string(TOLOWER "${first}" first)
string(TOLOWER "${second}" second)
file(WRITE "${OUT}.tmp" "// Made by the build from the seal hierarchy's roots.\n#pragma once\n"
  "#define KESTRIN_MAKER_ROOT1_THUMBPRINT \"${first}\"\n"
  "#define KESTRIN_MAKER_ROOT2_THUMBPRINT \"${second}\"\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)

#!/bin/sh
# A release signed by packaging/BuildPackage.cmake with a throwaway CA and signer,
# no time stamp: each signed file, and each executable in the signed package,
# verifies against that CA; the unsigned files stay as built.
# Usage: signing.sh <i686 tree, if built> <this tree>
set -eu
tree=$1
[ -f "$tree/packaging/farlink_msi.cmake" ] || tree=$2
tree=$(cd "$tree" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
quiet() { "$@" >log 2>&1 || { cat log; exit 1; }; }

printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
quiet openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout ca.key -out ca.pem -subj /CN=CA \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign
quiet openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr -subj /CN=Signer
quiet openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -set_serial 1 -days 2 \
  -extfile signer.ext -out signer.pem
quiet openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -out signer.p12 \
  -passout pass:throwaway

unsigned() { sha256sum "$tree"/bin/FarlinkUI.exe "$tree"/bin/FarlinkUI-*.msi; }
before=$(unsigned)
FARLINK_SIGNING_PASSWORD=throwaway quiet cmake -DSTAGE="$work/signed" \
  -DOUTPUT="$work/signed/FarlinkUI.msi" -DCERT="$work/signer.p12" -P "$tree/packaging/farlink_msi.cmake"
[ "$(unsigned)" = "$before" ] || { echo "the tree's unsigned files changed"; exit 1; }
[ ! -e signed/FarlinkUI.msi.pass ] || { echo "the password file was left behind"; exit 1; }
quiet msiextract -C packed signed/FarlinkUI.msi

failed=0
for name in FarlinkUI.exe farlinkctl.exe Lingua.dll; do
  [ -f "signed/$name" ] || { echo "not in the release: $name"; failed=1; }
done
{ echo signed/FarlinkUI.msi; find signed packed -name '*.exe' -o -name '*.dll' | sort; } >files
while IFS= read -r file; do
  osslsigncode verify -CAfile ca.pem -in "$file" >log 2>&1 || { echo "NOT verified: $file"; cat log; failed=1; }
done <files
[ $failed = 1 ] || echo "verified: $(tr "\n" " " <files)"
exit $failed

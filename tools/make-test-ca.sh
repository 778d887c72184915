#!/usr/bin/env bash
# Makes a certificate authority that lives two days, and a server certificate it signed for
# the given host names, in FOLDER:
#   ca.pem                   what clients trust (CURL_CA_BUNDLE or SSL_CERT_FILE)
#   server.pem, server.key   what fake-web shows (--tls-cert, --tls-key)
# Used by the tests (tests/support/test_authority.h) and fit for a demo over HTTPS.
# usage: make-test-ca.sh FOLDER HOST...
set -euo pipefail
if [ "$#" -lt 2 ]; then
    echo "usage: $0 FOLDER HOST..." >&2
    exit 2
fi
folder=$1
shift
names=()
for host in "$@"; do
    # Each name goes into a line of OpenSSL configuration: only host-name characters pass.
    if [[ ! $host =~ ^[A-Za-z0-9.-]+$ ]]; then
        echo "$0: not a host name: $host" >&2
        exit 2
    fi
    names+=("DNS:$host")
done
mkdir -p "$folder"
cd "$folder"

newKey=(-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -noenc)
openssl req -x509 "${newKey[@]}" -days 2 -subj "/CN=Quarnel test authority" -keyout ca.key -out ca.pem
openssl req "${newKey[@]}" -subj "/CN=$1" -keyout server.key -out server.csr
(IFS=,; printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' "${names[*]}") >server.ext
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -set_serial "0x$(openssl rand -hex 8)" -days 2 \
    -extfile server.ext -out server.pem
rm server.csr server.ext

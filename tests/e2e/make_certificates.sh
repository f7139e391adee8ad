#!/bin/sh
# Makes throw-away certificates for the TLS tests in DIR:
#   ca.pem          the authority the tests trust (ca.key its key)
#   other-ca.pem    an authority nobody trusts
#   server.pem      signed by ca.pem for the subject names given, key server.key
#   wrong-name.pem  signed by ca.pem for another name, key wrong-name.key
#   expired.pem     like server.pem, expired a day ago, key expired.key
#   client.pem      a client certificate signed by ca.pem, key client.key
# Usage: make_certificates.sh DIR SUBJECT_NAME...   (IP:127.1.0.1, DNS:name)
set -eu
dir=$1
shift
names=$(printf '%s,' "$@")
names=${names%,}
cd "$dir"

key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$1" 2>/dev/null; }

authority() {
  key "$1.key"
  openssl req -x509 -new -key "$1.key" -out "$1.pem" -days 2 -subj "/CN=$2" 2>/dev/null
}

# signed NAME SUBJECT_NAMES DAYS
signed() {
  key "$1.key"
  openssl req -new -key "$1.key" -out "$1.csr" -subj "/CN=$1" 2>/dev/null
  printf 'subjectAltName=%s\n' "$2" >"$1.ext"
  openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial \
    -out "$1.pem" -days "$3" -extfile "$1.ext" 2>/dev/null
  rm -f "$1.csr" "$1.ext"
}

authority ca "PELK test authority"
authority other-ca "PELK untrusted authority"
signed server "$names" 2
signed wrong-name "DNS:elsewhere.example,IP:192.0.2.1" 2
signed expired "$names" -1
signed client "DNS:pelk-client" 2
chmod 600 ./*.key

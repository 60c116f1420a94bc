#!/usr/bin/env bash
# Sets up a virtual printer to try Glyphant's printing through a real CUPS
# queue: installs cups and printer-driver-cups-pdf, starts the CUPS server
# if none is running, and adds the queue "GlyphantPDF" (made the default),
# which writes each job as a PDF file. Run as root (or with sudo); not part
# of the tests. Prints the folder the PDF files go to.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh cups printer-driver-cups-pdf
queue=GlyphantPDF

# Containers have no service manager: start the server by hand when needed.
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  mkdir -p /run/cups
  cupsd
  for _ in $(seq 50); do
    lpstat -r 2>/dev/null | grep -q "is running" && break
    sleep 0.2
  done
fi
lpstat -r | grep -q "is running" || { echo "the CUPS server did not start" >&2; exit 1; }

model=$(lpinfo -m | awk 'tolower($0) ~ /cups-pdf/ { print $1; exit }')
[ -n "$model" ] || { echo "no CUPS-PDF driver found" >&2; exit 1; }
lpadmin -p "$queue" -E -v cups-pdf:/ -m "$model"
lpadmin -d "$queue"
lpstat -p "$queue"
# The folder cups-pdf writes to (its "Out" setting; ${HOME} is the job owner's).
awk '$1 == "Out" { print "PDF files go to: " $2 }' /etc/cups/cups-pdf.conf

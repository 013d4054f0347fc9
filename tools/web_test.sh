#!/usr/bin/env bash
# Runs the web build's browser tests (tests/web/) against build-web/: installs Debian's Chromium
# and the pinned puppeteer-core (which downloads no browser of its own) when missing.
# Usage: tools/web_test.sh [figures.json]   (after tools/web.sh and the desktop build in build/)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -x /usr/bin/chromium ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq chromium
fi
(cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
KX_WEB_FIGURES=${1:-} node --test --test-concurrency=1 tests/web/

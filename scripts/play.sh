#!/usr/bin/env bash
# Builds the game and starts it with its default skin.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec build/ktusko/ktusko

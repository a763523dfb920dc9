#!/usr/bin/env bash
# Fetches the libraries the replay page carries (replay/web/vendor/) at the
# versions and hashes package-lock.json pins, and copies the files the page
# loads over the committed ones. For a maintainer updating them: nothing runs
# this at build or run time. To move to another version, change package.json,
# run `npm install --package-lock-only` in replay/web/vendor/, then this.
set -euo pipefail
cd "$(dirname "$0")/.."
vendor=replay/web/vendor
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$vendor/package.json" "$vendor/package-lock.json" "$tmp/"
(cd "$tmp" && npm ci --ignore-scripts --no-audit --no-fund)
from=$tmp/node_modules/uplot
cp "$from/dist/uPlot.iife.min.js" "$from/dist/uPlot.min.css" "$from/LICENSE" "$vendor/uplot/"
echo "uplot $(node -p "require('$from/package.json').version") copied into $vendor/uplot/"

#!/usr/bin/env bash
# Builds the Japanese and the English (United States) UTF-8 locales into FOLDER, for the test runs
# in each language: LOCPATH=FOLDER LC_ALL=ja_JP.UTF-8 then works as on a user's machine, without
# the machine having either locale of its own.
# Usage: locales.sh FOLDER
set -euo pipefail

folder=$1
mkdir -p "$folder"
for locale in ja_JP en_US; do
  # Built under a scratch name and moved, so that a run cut short leaves no half-built locale.
  if [ ! -d "$folder/$locale.UTF-8" ]; then
    rm -rf "$folder/$locale.partial"
    localedef -i "$locale" -f UTF-8 "$folder/$locale.partial"
    mv "$folder/$locale.partial" "$folder/$locale.UTF-8"
  fi
done

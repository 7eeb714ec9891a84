#!/usr/bin/env bash
# Writes the winget manifests of one Kronvik installer (manifest version
# 1.6.0: version, installer, ja-JP as the default locale and en-US) into
# OUT/winget/manifests/<p>/<Publisher>/Kronvik/<version>/, laid out as in
# winget's package repository, so that the folder can be submitted as it is.
# Both installer modes are offered: the per-user one as scope user, the
# all-users one as scope machine (/ALLUSERS; it asks for elevation itself).
#
# Usage: tools/winget.sh OUT VERSION SETUP RELEASE_URL PUBLISHER
#   SETUP        the installer file; its name is appended to RELEASE_URL
#   RELEASE_URL  where the release's files are downloaded from
set -euo pipefail
out=$1 version=$2 setup=$3 url=$4 publisher=$5
id="$publisher.Kronvik"
dir="$out/winget/manifests/$(printf %s "${publisher:0:1}" | tr '[:upper:]' '[:lower:]')/$publisher/Kronvik/$version"
rm -rf "$out/winget"
mkdir -p "$dir"
sha=$(sha256sum "$setup" | cut -d' ' -f1 | tr '[:lower:]' '[:upper:]')
released=$(date -u -d "@${SOURCE_DATE_EPOCH:?}" +%F)

# The lines every manifest starts with; $1 is its type.
opening() {
  printf '# yaml-language-server: $schema=https://aka.ms/winget-manifest.%s.1.6.0.schema.json\n' "$1"
  printf 'PackageIdentifier: %s\nPackageVersion: %s\n' "$id" "$version"
}
closing() { printf 'ManifestType: %s\nManifestVersion: 1.6.0\n' "$1"; }

{ opening version; echo "DefaultLocale: ja-JP"; closing version; } >"$dir/$id.yaml"

# One installer of each scope; /D= is left to winget's own switch for this
# installer type, which puts it last as the installer requires.
installer() {
  cat <<YAML
- Architecture: x64
  Scope: $1
  InstallerUrl: ${url%/}/$(basename "$setup")
  InstallerSha256: $sha
  InstallerSwitches:
    Silent: /S$2
    SilentWithProgress: /S$2
YAML
  [ -z "$2" ] || printf '    Interactive:%s\n  ElevationRequirement: elevatesSelf\n' "$2"
}
{
  opening installer
  cat <<YAML
InstallerType: nullsoft
InstallModes:
- interactive
- silent
- silentWithProgress
UpgradeBehavior: install
ProductCode: Kronvik
ReleaseDate: $released
Installers:
YAML
  installer user ""
  installer machine " /ALLUSERS"
  closing installer
} >"$dir/$id.installer.yaml"

# $1 locale, $2 type, $3 short and $4 full description.
locale() {
  opening "$2"
  cat <<YAML
PackageLocale: $1
Publisher: $publisher
PackageName: Kronvik
License: MIT
ShortDescription: $3
Description: $4
Moniker: kronvik
YAML
  closing "$2"
}
locale ja-JP defaultLocale "タイトルバーに日付と時刻を表示し、パソコンの時計を合わせる常駐時計" \
  "いま手前にあるウィンドウのタイトルバーに日付と時刻を表示する常駐型の時計です。パソコンの時計を SNTP サーバや NICT の時刻ページに合わせ、14 日分の予定を知らせます。" \
  >"$dir/$id.locale.ja-JP.yaml"
locale en-US locale "A resident clock in the caption of the window in front that also sets the computer's clock" \
  "Writes the date and time into the caption of the window in front, sets the computer's clock from an SNTP server or NICT's time page, and announces the appointments of a 14-day schedule. Japanese user interface." \
  >"$dir/$id.locale.en-US.yaml"

#!/usr/bin/env python3
"""Checks the winget manifests of a release against the required fields and
value rules of winget's manifest schema 1.6.0, and against the installer
they describe. Usage: winget_check.py MANIFEST_DIR SETUP_EXE"""
import hashlib, pathlib, re, sys

COMMON = 'PackageIdentifier PackageVersion ManifestType ManifestVersion '
REQUIRED = {'version': COMMON + 'DefaultLocale', 'installer': COMMON + 'Installers',
            'defaultLocale': COMMON + 'PackageLocale Publisher PackageName License ShortDescription',
            'locale': COMMON + 'PackageLocale'}
LOCALE = r'([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*'
PATTERNS = {
    'PackageIdentifier': r'[^.\s\\/:*?"<>|\x01-\x1f]{1,32}(\.[^.\s\\/:*?"<>|\x01-\x1f]{1,32}){1,7}',
    'PackageVersion': r'[^\\/:*?"<>|\x01-\x1f]{1,128}', 'DefaultLocale': LOCALE, 'PackageLocale': LOCALE,
    'ManifestVersion': r'1\.6\.0', 'InstallerUrl': r'[Hh][Tt][Tt][Pp][Ss]?://.+', 'InstallerSha256': r'[A-Fa-f0-9]{64}',
    'Architecture': 'x86|x64|arm|arm64|neutral', 'Scope': 'user|machine', 'InstallerType': 'exe|nullsoft',
    'ElevationRequirement': 'elevationRequired|elevationProhibited|elevatesSelf',
}


def parse(lines, i, indent):
    """The block YAML the manifests use: mappings, and lists of scalars or of mappings."""
    if lines[i][1].startswith('- '):
        items = []
        while i < len(lines) and lines[i][0] == indent and lines[i][1].startswith('- '):
            if re.match(r'\w+:( |$)', lines[i][1][2:]):
                lines[i] = (indent + 2, lines[i][1][2:])
                item, i = parse(lines, i, indent + 2)
            else:
                item, i = lines[i][1][2:], i + 1
            items.append(item)
        return items, i
    mapping = {}
    while i < len(lines) and lines[i][0] == indent and not lines[i][1].startswith('- '):
        key, _, value = lines[i][1].partition(':')
        i += 1
        if not value.strip() and i < len(lines) and (lines[i][0] > indent or lines[i][1].startswith('- ')):
            mapping[key], i = parse(lines, i, lines[i][0])
        else:
            mapping[key] = value.strip()
    return mapping, i


def check(where, fields, required=''):
    errors.extend(f'{where}: no {key}' for key in required.split() if not fields.get(key))
    errors.extend(f'{where}: {key} {fields[key]!r} breaks {rule}' for key, rule in PATTERNS.items()
                  if key in fields and not re.fullmatch(rule, str(fields[key])))


folder, setup = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
errors, manifests = [], {}
for path in sorted(folder.glob('*.yaml')):
    lines = [(len(l) - len(l.lstrip()), l.strip()) for l in path.read_text('utf-8').splitlines()
             if l.strip() and not l.lstrip().startswith('#')]
    fields = parse(lines, 0, 0)[0]
    check(path.name, fields, REQUIRED.get(fields.get('ManifestType'), 'ManifestType'))
    manifests[fields.get('PackageLocale', fields.get('ManifestType'))] = fields

if set(manifests) != {'version', 'installer', 'ja-JP', 'en-US'} or manifests['version'].get('DefaultLocale') != 'ja-JP' \
        or manifests['ja-JP'].get('ManifestType') != 'defaultLocale':
    errors.append(f'want version, installer, default ja-JP and en-US manifests, have {sorted(manifests)}')
if len({(m.get('PackageIdentifier'), m.get('PackageVersion')) for m in manifests.values()}) != 1:
    errors.append('the manifests name different packages or versions')
installers = manifests.get('installer', {}).get('Installers', [])
sha = hashlib.sha256(setup.read_bytes()).hexdigest().upper()
for item in installers:
    check(f'installer {item.get("Scope")}', item, 'Architecture InstallerUrl InstallerSha256')
    silent = item.get('InstallerSwitches', {}).get('Silent', '').split()
    if item.get('InstallerSha256') != sha or not item.get('InstallerUrl', '').endswith('/' + setup.name) \
            or ('/ALLUSERS' in silent) != (item.get('Scope') == 'machine') or '/S' not in silent \
            or not (item.get('InstallerType') or manifests['installer'].get('InstallerType')):
        errors.append(f'installer {item}: not the one of {setup.name} for its scope')
if sorted(item.get('Scope') for item in installers) != ['machine', 'user']:
    errors.append('want one installer per scope, user and machine')
print('\n'.join(errors) or f'winget: the manifests of {setup.name} hold every required field')
sys.exit(1 if errors else 0)

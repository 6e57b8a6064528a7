# Sourced by the command-line test scripts: the C locale, a scratch folder
# that is the working folder and goes at the end, and the failure flag.
LC_ALL=C
export LC_ALL
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0

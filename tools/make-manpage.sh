#!/usr/bin/env bash
# Writes the manual page cardo-cli.1 on standard output from the built program's own --help
# texts, so the page never says other than the program.
#   tools/make-manpage.sh CARDO_CLI VERSION
set -euo pipefail
cli=$1
version=$2

# Text as roff shows it: backslashes escaped, no line read as a request, literal hyphens.
roff() {
  sed -e 's/\\/\\e/g' -e 's/^\([.'"'"']\)/\\\&\1/' -e 's/-/\\-/g'
}

commands=$("$cli" --help | sed -n 's/^usage: cardo-cli \([a-z]*\).*/\1/p')

echo ".TH CARDO-CLI 1 \"\" \"cardo-cli $version\" \"User Commands\""
echo ".SH NAME"
echo "cardo-cli \\- Cardo's engines on the command line: bracket expansion, URL extraction,"
echo "list generation, download and the download managers' import files"
echo ".SH SYNOPSIS"
echo ".nf"
for c in $commands; do
  # The usage line and its continuation lines. awk reads the text to its end: leaving early
  # would close the pipe on a help longer than one write, and the program would fail.
  "$cli" "$c" --help |
    awk 'NR == 1 { sub(/^usage: /, ""); print; next } !done && /^         / { print; next } { done = 1 }' |
    roff
done
echo ".fi"
echo ".SH DESCRIPTION"
echo "Each command reads its input, writes its result on standard output (or the file named by"
echo "its options) and reports failures on standard error, one line each."
echo ".B cardo-cli"
echo ".I COMMAND"
echo ".B \\-\\-help"
echo "prints the text of that command below."
echo ".PP"
# What every command does alike: the closing paragraphs of the program's own help.
"$cli" --help | sed -n '/^Every command answers/,$p' | roff
echo ".SH COMMANDS"
for c in $commands; do
  echo ".SS $c"
  echo ".nf"
  "$cli" "$c" --help | roff
  echo ".fi"
done
echo ".SH EXIT STATUS"
echo "0 when the command did what was asked; 1 when it failed (an unreadable input, an output"
echo "that could not be written, a line without a valid range; the reason is on standard"
echo "error); 2 for a bad option or argument. The fetch command's status is the download's"
echo "result code."
echo ".SH SEE ALSO"
echo ".BR aria2c (1),"
echo ".BR curl (1)"

#!/bin/sh
# Fails when a document no longer matches the code:
# - a code name that README.md, doc/architecture.md or doc/ordered-index.md
#   quotes in backticks (a name with an inner capital, an underscore or
#   "::", or a call such as `find(key)`) is no word of the code (src, tests,
#   bench, scripts and the build files, comments left out);
# - a file that one of them quotes (src/..., tests/..., doc/..., scripts/...,
#   bench/..., index/ordered_index.{hpp,cpp}, request_loop.cpp, a pattern
#   such as tests/e2e/*.t) names nothing, from the top, from src, or (a bare
#   file name) anywhere in src and tests;
# - a list that a document keeps misses one that exists: ordered-index.md
#   every file of src/index and src/order; architecture.md every layer of
#   src, every test source under tests (fuzzers included); README.md every
#   layer of src.
#   scripts/check-docs.sh
set -eu
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every word of the code, its comments left out.
{
    find src tests bench -name '*.cpp' -o -name '*.hpp' | sort | xargs sed 's|//.*||'
    sed 's|#.*||' CMakeLists.txt tests/CMakeLists.txt tests/fuzz/CMakeLists.txt Makefile scripts/*
} | tr -cs 'A-Za-z0-9_' '\n' | sort -u > "$work/words"
# Every file and directory a document may name, from the top.
find README.md CMakeLists.txt Makefile .ci bench doc scripts src tests -path 'tests/fuzz/corpus/*/*' -prune -o -print |
    sort > "$work/files"

awk -v words="$work/words" -v files="$work/files" '
function fail(message) {
    print FILENAME ": " message
    failed = 1
}
# A shell pattern as a regular expression: * and ? within one directory.
function patternOf(glob,    regex) {
    regex = glob
    gsub(/[.+^$()|]/, "\\\\&", regex)
    gsub(/\*/, "[^/]*", regex)
    gsub(/\?/, "[^/]", regex)
    return "^" regex "$"
}
function exists(path,    candidate, regex) {
    sub(/\/$/, "", path)
    if (path in file || ("src/" path) in file) {
        return 1
    }
    if (path !~ /\//) {
        return path in baseName
    }
    if (path ~ /[*?]/) {
        regex = patternOf(path)
        for (candidate in file) {
            if (candidate ~ regex || candidate ~ patternOf("src/" path)) {
                return 1
            }
        }
    }
    return 0
}
function isPath(token) {
    if (token ~ /^(\/|\.\.\/|build)/ || token ~ /:\/\//) {
        return 0
    }
    return token ~ /^(src|tests|doc|scripts|bench|\.ci)\// || token ~ /\.(hpp|cpp|sh)$/
}
# The words of a span, braces such as {hpp,cpp} expanded, into out; their count.
function expand(span, out,    tokens, count, n, k, token, head, tail, parts, p) {
    n = split(span, tokens, " ")
    count = 0
    for (k = 1; k <= n; ++k) {
        token = tokens[k]
        sub(/[,;.:]$/, "", token)
        if (token == "") {
            continue
        }
        if (match(token, /\{[^}]*\}/)) {
            head = substr(token, 1, RSTART - 1)
            tail = substr(token, RSTART + RLENGTH)
            split(substr(token, RSTART + 1, RLENGTH - 2), parts, ",")
            for (p = 1; p in parts; ++p) {
                out[++count] = head parts[p] tail
            }
        } else {
            out[++count] = token
        }
    }
    return count
}
function checkSpan(span,    tokens, count, k, token, name, parts, p, command) {
    count = expand(span, tokens)
    command = span ~ / /
    for (k = 1; k <= count; ++k) {
        token = tokens[k]
        mentioned[token] = 1
        name = token
        sub(/^.*\//, "", name)
        mentioned[name] = 1
        sub(/\.[a-z0-9]+$/, "", name)
        mentioned[name] = 1
        if (isPath(token)) {
            if (!exists(token)) {
                fail("`" span "` names " token ", which does not exist")
            }
            continue
        }
    }
    # A command or request: only the files in it are checked. Else a name
    # with an argument list, or one that looks like code, must be a word of it.
    if (command && span !~ /^[A-Za-z_~][A-Za-z0-9_:~]*\(.*\)$/) {
        return
    }
    name = span
    sub(/\(.*\)$/, "", name)
    if (name !~ /^[A-Za-z_~][A-Za-z0-9_:~]*$/) {
        return
    }
    if (span !~ /\(/ && name !~ /::|_/ && substr(name, 2) !~ /[A-Z]/) {
        return
    }
    gsub(/~/, "", name)
    count = split(name, parts, "::")
    for (p = 1; p <= count; ++p) {
        if (parts[p] != "" && !(parts[p] in word)) {
            fail("`" span "` is no name in the code (" parts[p] ")")
        }
    }
}
function checkDocument(    text, span, required, entry, base, stem) {
    text = documentText
    while (match(text, /`[^`]+`/)) {
        span = substr(text, RSTART + 1, RLENGTH - 2)
        text = substr(text, RSTART + RLENGTH)
        checkSpan(span)
    }
    for (entry in file) {
        base = entry
        sub(/^.*\//, "", base)
        stem = base
        sub(/\.[a-z0-9]+$/, "", stem)
        required = ""
        if (FILENAME ~ /ordered-index\.md$/ && entry ~ /^src\/(index|order)\/[^\/]+$/) {
            required = "the file table misses " entry
        } else if (FILENAME ~ /architecture\.md$/ && entry ~ /^tests\/.*\.(cpp|hpp|sh)$/) {
            required = "the tests miss " entry
        } else if (FILENAME ~ /(architecture|README)\.md$/ && entry ~ /^src\/[^\/.]+$/) {
            required = "the layer table misses " entry
            base = stem = entry
        }
        if (required != "" && !(base in mentioned) && !(stem in mentioned) && !(entry in mentioned)) {
            fail(required)
        }
    }
}
FILENAME == words {
    word[$0] = 1
    next
}
FILENAME == files {
    sub(/^\.\//, "")
    file[$0] = 1
    base = $0
    sub(/^.*\//, "", base)
    if ($0 ~ /^(src|tests)\//) {
        baseName[base] = 1
    }
    next
}
FNR == 1 && documentText != "" {
    checkDocumentOf(previous)
}
FNR == 1 {
    fenced = 0
    documentText = ""
    split("", mentioned)
}
/^```/ {
    fenced = !fenced
    next
}
!fenced {
    documentText = documentText " " $0
}
{
    previous = FILENAME
}
function checkDocumentOf(name,    saved) {
    saved = FILENAME
    FILENAME = name
    checkDocument()
    FILENAME = saved
}
END {
    checkDocumentOf(previous)
    exit failed
}
' "$work/words" "$work/files" README.md doc/architecture.md doc/ordered-index.md || exit 1
echo "documents: every quoted name and file exists, every list is whole"

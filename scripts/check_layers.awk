# Reads the layer table (variable "table", told as "name"), then one source
# path per input line (relative to "root"), and reports every include of
# another folder that no row allows. Variable "folders": the top-level folders
# of the tree. Exit status 1 on any finding.

function trim(s) {
    sub(/^[ \t]+/, "", s)
    sub(/[ \t]+$/, "", s)
    return s
}

function top(path) {
    return index(path, "/") ? substr(path, 1, index(path, "/") - 1) : path
}

function glob_regex(glob,    out, c, i) {
    out = "^"
    for (i = 1; i <= length(glob); i++) {
        c = substr(glob, i, 1)
        if (c == "*" && substr(glob, i + 1, 1) == "*") {
            out = out ".*"
            i++
        } else if (c == "*") {
            out = out "[^/]*"
        } else if (c == "?") {
            out = out "[^/]"
        } else if (index(".+()[]{}^$|\\", c)) {
            out = out "\\" c
        } else {
            out = out c
        }
    }
    return out "$"
}

function table_error(line, message) {
    printf "%s:%d: %s\n", name, line, message
    failed = 1
}

# The patterns of a set, its own @sets expanded, separated by spaces.
function expand(name, line, depth,    items, n, i, out) {
    if (!(name in sets)) {
        table_error(line, "no set @" name)
        return ""
    }
    if (depth > 10) {
        table_error(line, "set @" name " includes itself")
        return ""
    }
    n = split(sets[name], items, " ")
    out = ""
    for (i = 1; i <= n; i++) {
        out = out " " (substr(items[i], 1, 1) == "@" ? expand(substr(items[i], 2), line, depth + 1) : items[i])
    }
    return out
}

function read_table(    line, number, fields, n, name, r, froms, k, f, items, i, m, item, neg, rel, t) {
    while ((getline line < table) > 0) {
        number++
        if (line ~ /^[ \t]*(#|$)/) {
            continue
        }
        if (match(line, /^@[A-Za-z0-9_]+:/)) {
            name = substr(line, 2, RLENGTH - 2)
            sets[name] = sets[name] " " substr(line, RLENGTH + 1)
            continue
        }
        n = split(line, fields, "|")
        if (n != 4 || trim(fields[1]) == "" || trim(fields[2]) == "" || trim(fields[4]) == "") {
            table_error(number, "a row is: from | to | headers | why")
            continue
        }
        r = ++rows
        rowLine[r] = number
        rowFrom[r] = trim(fields[1])
        rowTo[r] = trim(fields[2])
        rowHeaders[r] = trim(fields[3])
        rowTwoWay[r] = trim(fields[4]) ~ /^two-way:/
        if (rowTo[r] != "-" && rowTo[r] != "*") {
            known[rowTo[r]] = 1
        }
        if ((rowTo[r] == "-") != (rowHeaders[r] == "")) {
            table_error(number, "a row to \"-\" names no headers, every other row some")
        }
    }
    close(table)
    if (number == 0) {
        print name ": no table there"
        failed = 1
    }
    # Set references become patterns below the row's folder.
    for (r = 1; r <= rows; r++) {
        m = split(rowHeaders[r], items, " ")
        for (i = 1; i <= m; i++) {
            if (substr(items[i], 1, 1) != "@") {
                rowPositive[r] = rowPositive[r] " " glob_regex(items[i])
                continue
            }
            k = split(expand(substr(items[i], 2), rowLine[r], 0), item, " ")
            for (f = 1; f <= k; f++) {
                neg = substr(item[f], 1, 1) == "!"
                rel = neg ? substr(item[f], 2) : item[f]
                if (substr(rel, 1, length(rowTo[r]) + 1) != rowTo[r] "/") {
                    continue
                }
                rel = glob_regex(substr(rel, length(rowTo[r]) + 2))
                if (neg) {
                    rowNegative[r] = rowNegative[r] " " rel
                } else {
                    rowPositive[r] = rowPositive[r] " " rel
                }
            }
        }
        if (rowTo[r] != "-" && rowPositive[r] == "") {
            table_error(rowLine[r], "the row allows no header of " rowTo[r])
        }
        n = split(rowFrom[r], froms, " ")
        for (k = 1; k <= n; k++) {
            f = top(froms[k])
            known[f] = 1
            knownFrom[f] = 1
            t = rowTo[r]
            if (t == "-" || t == "*" || t == f) {
                continue
            }
            if (!((f SUBSEP t) in pairLine) || !rowTwoWay[r]) {
                pairLine[f, t] = rowLine[r]
                pairTwoWay[f, t] = rowTwoWay[r]
            }
        }
    }
    # Only pairs marked on both halves may run both ways.
    for (pair in pairLine) {
        split(pair, ft, SUBSEP)
        if ((ft[2] SUBSEP ft[1]) in pairLine) {
            if (ft[1] < ft[2] && !(pairTwoWay[ft[1], ft[2]] && pairTwoWay[ft[2], ft[1]])) {
                table_error(pairLine[pair], ft[1] " and " ft[2] " include each other (rows at lines " \
                            pairLine[pair] " and " pairLine[ft[2], ft[1]] \
                            "): mark both halves \"two-way:\" or drop one")
            }
        } else if (pairTwoWay[pair]) {
            table_error(pairLine[pair], ft[1] " -> " ft[2] " is marked two-way but no row runs back")
        }
    }
}

function applies(r, path,    froms, n, k) {
    n = split(rowFrom[r], froms, " ")
    for (k = 1; k <= n; k++) {
        if (path == froms[k] || substr(path, 1, length(froms[k]) + 1) == froms[k] "/") {
            return 1
        }
    }
    return 0
}

function matches(list, rel,    items, n, k) {
    n = split(list, items, " ")
    for (k = 1; k <= n; k++) {
        if (rel ~ items[k]) {
            return 1
        }
    }
    return 0
}

function allowed(path, included,    to, rel, r) {
    to = top(included)
    rel = substr(included, length(to) + 2)
    for (r = 1; r <= rows; r++) {
        if ((rowTo[r] == to || rowTo[r] == "*") && applies(r, path) &&
            matches(rowPositive[r], rel) && !matches(rowNegative[r], rel)) {
            return 1
        }
    }
    return 0
}

# What the rows for this pair of folders allow today, for the message.
function allowing(path, to,    r, out) {
    out = ""
    for (r = 1; r <= rows; r++) {
        if (rowTo[r] == to && applies(r, path)) {
            out = out (out == "" ? "" : "; ") rowHeaders[r] " (line " rowLine[r] ")"
        }
    }
    return out
}

BEGIN {
    read_table()
    n = split(folders, list, " ")
    for (i = 1; i <= n; i++) {
        known[list[i]] = 1
    }
}

{
    path = $0
    folder = top(path)
    if (!(folder in knownFrom)) {
        if (!(folder in reported)) {
            printf "%s/: a folder %s does not know: add rows for what it may include " \
                   "(\"%s | - | | why\" when it includes no other folder)\n", folder, name, folder
            reported[folder] = 1
        }
        failed = 1
        next
    }
    number = 0
    while ((getline line < (root "/" path)) > 0) {
        number++
        if (line !~ /^[ \t]*#[ \t]*include[ \t]*["<]/) {
            continue
        }
        included = line
        sub(/^[ \t]*#[ \t]*include[ \t]*["<]/, "", included)
        sub(/[">].*$/, "", included)
        to = top(included)
        if (to == included || to == folder || !(to in known)) {
            continue
        }
        checked++
        if (!allowed(path, included)) {
            others = allowing(path, to)
            printf "%s:%d: #include \"%s\": no row of %s lets %s include %s/%s (%s)\n", path, number,
                   included, name, folder, to, substr(included, length(to) + 2),
                   others == "" ? "no row " folder " | " to " at all" : folder " -> " to " allows " others
            failed = 1
        }
    }
    close(root "/" path)
    files++
}

END {
    if (failed) {
        exit 1
    }
    printf "layers: %d includes of other folders in %d files, all allowed by %s\n", checked, files, name
}

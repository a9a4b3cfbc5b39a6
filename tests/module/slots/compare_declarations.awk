# Compares the host's copy of the module's declarations (the first file) with
# the published headers (the other files): for every class the copy defines,
# its bases and the ordered list of the virtual operations it declares, each
# as return type, name, parameter types and qualifiers. Comments, line breaks,
# spacing, parameter names and default arguments do not count. Exit status 1
# on any difference; with -v show=1 it lists what it compared.

function trim(s) {
    gsub(/[ \t]+/, " ", s)
    sub(/^ /, "", s)
    sub(/ $/, "", s)
    return s
}

# Splits a declaration into tokens tok[1..count]; returns count.
function tokenize(s,    count) {
    count = 0
    while (s != "") {
        if (match(s, /^[ \t]+/)) {
        } else if (match(s, /^[A-Za-z_][A-Za-z0-9_]*/) || match(s, /^[0-9][A-Za-z0-9_.]*/) ||
                   match(s, /^::/) || match(s, /^->/) || match(s, /^&&/)) {
            tok[++count] = substr(s, 1, RLENGTH)
        } else {
            RLENGTH = 1
            tok[++count] = substr(s, 1, 1)
        }
        s = substr(s, RLENGTH + 1)
    }
    return count
}

function word(t) {
    return t ~ /^[A-Za-z0-9_]/
}

# Tokens from..to joined, with a space only between two words.
function join(from, to,    out, k) {
    out = ""
    for (k = from; k <= to; k++) {
        out = out ((k > from && word(tok[k - 1]) && word(tok[k])) ? " " : "") tok[k]
    }
    return out
}

# One parameter's type: tokens from..to without default value and name.
function parameter(from, to,    k, level) {
    level = 0
    for (k = from; k <= to; k++) {
        if (tok[k] ~ /^[<(\[]$/) level++
        else if (tok[k] ~ /^[>)\]]$/) level--
        else if (tok[k] == "=" && level == 0) {
            to = k - 1
            break
        }
    }
    if (to > from && tok[to] ~ /^[A-Za-z_]/ && tok[to - 1] != "::" &&
        tok[to] !~ /^(int|char|short|long|double|float|bool|unsigned|signed|void|const)$/) {
        to--
    }
    return join(from, to)
}

# A virtual operation as "return name(parameter,parameter) qualifiers".
function signature(decl,    n, k, lparen, rparen, level, name, params, start, out, last) {
    gsub(/\[\[[^]]*\]\]/, " ", decl)
    n = tokenize(decl)
    # The parameter list opens at the first parenthesis outside templates.
    level = 0
    for (k = 1; k <= n; k++) {
        if (tok[k] == "<") level++
        else if (tok[k] == ">") level--
        else if (tok[k] == "(" && level == 0) break
    }
    lparen = k
    level = 0
    for (k = lparen; k <= n; k++) {
        if (tok[k] == "(") level++
        else if (tok[k] == ")" && --level == 0) break
    }
    rparen = k
    name = lparen - 1
    if (name > 1 && tok[name - 1] == "~") name--
    out = ""
    last = ""
    for (k = 1; k < name; k++) {
        if (tok[k] != "virtual" && tok[k] != "inline") {
            out = out (out != "" && word(tok[k]) && word(last) ? " " : "") tok[k]
            last = tok[k]
        }
    }
    out = out (out != "" ? " " : "") join(name, lparen)
    params = ""
    start = lparen + 1
    level = 0
    for (k = lparen + 1; k < rparen; k++) {
        if (tok[k] ~ /^[<(\[]$/) level++
        else if (tok[k] ~ /^[>)\]]$/) level--
        else if (tok[k] == "," && level == 0) {
            params = params parameter(start, k - 1) ","
            start = k + 1
        }
    }
    if (rparen > lparen + 1) params = params parameter(start, rparen - 1)
    out = out params ")"
    # Qualifiers that change the operation; what only restates it does not.
    for (k = rparen + 1; k <= n; k++) {
        if (tok[k] == "=" || tok[k] == "override" || tok[k] == "final") break
        out = out (word(tok[k]) ? " " : "") tok[k]
    }
    return out
}

function head(stmt) {
    sub(/^template ?<[^>]*> ?/, "", stmt)
    return stmt ~ /^(class|struct) [A-Za-z_][A-Za-z0-9_]*( final)?( ?:[^:].*)?$/ ? stmt : ""
}

function open_class(stmt, side, file,    name, bases, key) {
    sub(/^template ?<[^>]*> ?/, "", stmt)
    sub(/^(class|struct) /, "", stmt)
    match(stmt, /^[A-Za-z_][A-Za-z0-9_]*/)
    name = substr(stmt, 1, RLENGTH)
    bases = substr(stmt, RLENGTH + 1)
    sub(/^ ?final/, "", bases)
    sub(/^ ?: ?/, "", bases)
    bases = join(1, tokenize(bases))
    classes++
    classDepth[classes] = depth + 1
    className[classes] = (classes > 1 ? className[classes - 1] "::" : "") name
    key = side SUBSEP className[classes]
    if (side == "copy") order[++copied] = className[classes]
    defined[key] = file
    base[key] = bases
    slots[key] = 0
}

function record(stmt, side,    key) {
    stmt = trim(stmt)
    if (stmt !~ /(^| )virtual / || stmt ~ /(^|[^A-Za-z0-9_])override([^A-Za-z0-9_]|$)/) return
    key = side SUBSEP className[classes]
    slot[key, ++slots[key]] = signature(stmt)
}

# Reads one file, comments, strings and preprocessor lines left out.
function text_of(file,    line, out, i, c, quote, comment) {
    out = ""
    comment = 0
    while ((getline line < file) > 0) {
        if (!comment && line ~ /^[ \t]*#/) continue
        for (i = 1; i <= length(line); i++) {
            c = substr(line, i, 1)
            if (comment) {
                if (c == "*" && substr(line, i + 1, 1) == "/") { comment = 0; i++ }
            } else if (quote != "") {
                if (c == "\\") i++
                else if (c == quote) { out = out quote quote; quote = "" }
            } else if (c == "/" && substr(line, i + 1, 1) == "/") {
                break
            } else if (c == "/" && substr(line, i + 1, 1) == "*") {
                comment = 1
                i++
            } else if (c == "\"" || c == "'") {
                quote = c
            } else {
                out = out c
            }
        }
        out = out " "
    }
    close(file)
    return out
}

function parse(file, side,    text, n, i, c, stmt, skip, inClass) {
    text = text_of(file)
    n = length(text)
    stmt = ""
    depth = 0
    classes = 0
    skip = 0
    for (i = 1; i <= n; i++) {
        c = substr(text, i, 1)
        if (skip) {
            if (c == "{") skip++
            else if (c == "}") skip--
            continue
        }
        inClass = classes > 0 && depth == classDepth[classes]
        if (c == "{") {
            stmt = trim(stmt)
            if (head(stmt) != "") {
                open_class(stmt, side, file)
                depth++
                stmt = ""
            } else if (stmt ~ /\(/ && (inClass || stmt !~ /=/)) {
                # A function's body.
                if (inClass) record(stmt, side)
                stmt = ""
                skip = 1
            } else if (stmt ~ /^(namespace( [A-Za-z_][A-Za-z0-9_:]*)?|extern "")$/) {
                depth++
                stmt = ""
            } else {
                # An initializer or an enumeration.
                stmt = stmt "{}"
                skip = 1
            }
        } else if (c == "}") {
            if (classes > 0 && depth == classDepth[classes]) classes--
            depth--
            stmt = ""
        } else if (c == ";") {
            if (inClass) record(stmt, side)
            stmt = ""
        } else if (c == ":" && inClass && substr(text, i + 1, 1) != ":" &&
                   trim(stmt) ~ /^(public|protected|private)$/) {
            stmt = ""
        } else {
            stmt = stmt c
        }
    }
}

function list(key,    k, out) {
    out = ""
    for (k = 1; k <= slots[key]; k++) out = out "\n      " k ". " slot[key, k]
    return out == "" ? " none" : out
}

BEGIN {
    if (ARGC < 3) {
        print "usage: awk -f compare_declarations.awk COPY HEADER..."
        exit 2
    }
    parse(ARGV[1], "copy")
    for (a = 2; a < ARGC; a++) parse(ARGV[a], "real")
    for (o = 1; o <= copied; o++) {
        name = order[o]
        copy = "copy" SUBSEP name
        real = "real" SUBSEP name
        if (!(real in defined)) {
            printf "%s: the copy defines it, no published header does\n", name
            failed = 1
            continue
        }
        if (show) printf "%s: %s;%s\n", name, base[real] == "" ? "no bases" : base[real], list(real)
        differs = base[copy] != base[real] || slots[copy] != slots[real]
        for (k = 1; k <= slots[copy] && !differs; k++) differs = slot[copy, k] != slot[real, k]
        if (differs) {
            printf "%s differs between %s and %s\n", name, defined[copy], defined[real]
            printf "  bases: %s | %s\n", base[copy] == "" ? "none" : base[copy],
                   base[real] == "" ? "none" : base[real]
            printf "  virtual operations in the copy:%s\n", list(copy)
            printf "  virtual operations in the header:%s\n", list(real)
            failed = 1
        }
        compared++
    }
    if (failed) exit 1
    printf "declarations: %d classes of %s agree with the published headers\n", compared, ARGV[1]
    exit 0
}

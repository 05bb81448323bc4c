# What makes up the executable: reads the linker's map (-Wl,-Map) and prints,
# as Markdown, the bytes each origin puts into each section of the file, then
# the largest single objects. Bytes before the file's 512-byte alignment.
#   awk -f exe-size.awk fernwick.map

function origin(file) {
    if (file ~ /libfernwick_core\.a|CMakeFiles\/fernwick\.dir|\.res$|\.rc\.obj/) return "the program's own code"
    if (file ~ /libstdc\+\+\.a/) return "C++ library (libstdc++)"
    if (file ~ /libgcc(_eh)?\.a/) return "compiler support (libgcc, unwinder)"
    if (file ~ /lib(win)?pthread\.a/) return "threads (winpthreads)"
    if (file ~ /libmingw(ex|32)\.a|crt2\.o|crtbegin\.o|crtend\.o/) return "mingw start-up and C extras"
    if (file ~ /libz\.a/) return "zlib (deflate and inflate of one-file kits)"
    if (file ~ /lib[a-z0-9_]+\.a\(/) return "import thunks of Windows DLLs"
    return "made by the linker (relocations)"
}

function hex(text,    i, value) {
    value = 0
    text = tolower(substr(text, 3))
    for (i = 1; i <= length(text); i++) value = value * 16 + index("0123456789abcdef", substr(text, i, 1)) - 1
    return value
}

# Sorts keys[1..n] by value[keys[i]], largest first.
function sortByValue(keys, n, value,    i, j, key) {
    for (i = 2; i <= n; i++) {
        key = keys[i]
        for (j = i - 1; j >= 1 && value[keys[j]] < value[key]; j--) keys[j + 1] = keys[j]
        keys[j + 1] = key
    }
}

function member(file) {
    sub(/.*\//, "", file)
    return file
}

function add(file, size) {
    if (output == "" || output ~ /^\.debug|^\.stab|^\/[0-9]/) return
    if (file == "") return
    if (file == "dll") file = "relocations"
    o = origin(file)
    bytes[o, output] += size
    byOrigin[o] += size
    sections[output] = 1
    origins[o] = 1
    objects[member(file)] += size
}

/^Linker script and memory map/ { inMap = 1; next }
!inMap { next }

# An output section: its name at the start of the line.
/^\.[A-Za-z_.]+/ { output = $1; pending = ""; next }
/^\/DISCARD\// { output = ""; next }

# An input section whose name filled its column: the rest is on the next line.
/^ [.A-Za-z_][^ ]*$/ { pending = $1; next }
pending != "" && /^ +0x[0-9a-f]+ +0x[0-9a-f]+ / {
    add($3, hex($2)); pending = ""; next
}
/^ [.A-Za-z_][^ ]* +0x[0-9a-f]+ +0x[0-9a-f]+ / {
    pending = ""
    add($4, hex($3)); next
}
{ pending = "" }

END {
    # The sections in the order the file holds them.
    n = 0
    split(".text .data .rdata .eh_frame .bss .idata .CRT .tls .rsrc .reloc", known, " ")
    for (i = 1; i in known; i++) {
        if (known[i] in sections) list[++n] = known[i]
        delete sections[known[i]]
    }
    for (s in sections) list[++n] = s
    header = "| Origin |"; rule = "|---|"
    for (i = 1; i <= n; i++) { header = header " " list[i] " |"; rule = rule "---:|" }
    print header " total |"
    print rule "---:|"
    m = 0
    for (o in origins) order[++m] = o
    sortByValue(order, m, byOrigin)
    for (j = 1; j <= m; j++) {
        o = order[j]
        line = "| " o " |"
        for (i = 1; i <= n; i++) line = line " " (bytes[o, list[i]] + 0) " |"
        print line " " byOrigin[o] " |"
    }
    print ""
    print "Largest objects:"
    print ""
    print "| Object | Bytes |"
    print "|---|---:|"
    k = 0
    for (f in objects) big[++k] = f
    sortByValue(big, k, objects)
    for (j = 1; j <= k && j <= 15; j++) print "| " big[j] " | " objects[big[j]] " |"
}

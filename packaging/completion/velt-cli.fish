# fish completion for velt-cli. Commands and options come from its --help, the cipher and hash
# labels from `velt-cli list` (blanks taken out: labels are compared without case and blanks).

# The subcommands (no argument) or the options of `velt-cli [SUBCOMMAND] --help`.
function __velt_cli_words
    set -l prog (commandline -opc)[1]
    $prog $argv --help 2>/dev/null | awk '
        /^[A-Z][a-z]*:/ { section = $1; next }
        section == "Subcommands:" && /^  [a-z]/ { print $1 }
        section == "Options:" && /^  -/ {
            names = $1; sub(/[{:].*/, "", names); n = split(names, a, ",")
            for (i = 1; i <= n; i++) print a[i]
        }'
end

function __velt_cli_labels
    set -l prog (commandline -opc)[1]
    $prog list 2>/dev/null | awk -v want=$argv[1] '
        /^[A-Z]/ { section = $1; next }
        section == want { label = substr($0, 7, 10); gsub(/ /, "", label); print label }'
end

# The subcommand on the line so far, if any.
function __velt_cli_command
    for word in (commandline -opc)[2..-1]
        if contains -- $word encrypt decrypt info list selftest
            echo $word
            return 0
        end
    end
    return 1
end

function __velt_cli_after
    set -l line (commandline -opc)
    contains -- $line[-1] $argv
end

complete -c velt-cli -f
complete -c velt-cli -n 'not __velt_cli_command' -a '(__velt_cli_words)'
complete -c velt-cli -n '__velt_cli_command >/dev/null; and __velt_cli_after -c --cipher' \
    -a '(__velt_cli_labels Ciphers)'
complete -c velt-cli -n '__velt_cli_command >/dev/null; and __velt_cli_after -H --hash' \
    -a '(__velt_cli_labels Hashes)'
complete -c velt-cli -n '__velt_cli_after --level' -a 'default fastest best'
complete -c velt-cli -n '__velt_cli_after --password-env' -a '(set --names --export)'
complete -c velt-cli -n '__velt_cli_command >/dev/null; and string match -q -- "-*" (commandline -ct)' \
    -a '(__velt_cli_words (__velt_cli_command))'
complete -c velt-cli -n '__velt_cli_command | string match -qr "^(en|de)crypt\$|^info\$";
    and not __velt_cli_after -c --cipher -H --hash --level --password-env -j --jobs --extension' \
    -F

# fish completion for pelvaro-launcher

# The profiles of the folder the command line names, or the chosen one, by
# name without ".plist"; names that --list escapes are left out.
function __pelvaro_launcher_profiles
    set -l tokens (commandline -opc)
    set -l folder
    set -l at (contains -i -- --folder $tokens)
    if test -n "$at"; and test (count $tokens) -gt $at
        set folder --folder $tokens[(math $at + 1)]
    end
    pelvaro-launcher --list $folder 2>/dev/null | string match -v -- '*\\\\*' | string replace -ri -- '\.plist$' ''
end

complete -c pelvaro-launcher -f
complete -c pelvaro-launcher -s h -l help -d 'Show the help'
complete -c pelvaro-launcher -s v -l version -d 'Show the version'
complete -c pelvaro-launcher -l list -d "Print the profiles' file names"
complete -c pelvaro-launcher -l start -x -a '(__pelvaro_launcher_profiles)' -d 'Start Pelvaro with a profile'
complete -c pelvaro-launcher -l show -x -a '(__pelvaro_launcher_profiles)' -d 'Print a profile as XML'
complete -c pelvaro-launcher -l diff -x -a '(__pelvaro_launcher_profiles)' -d 'Print what differs'
complete -c pelvaro-launcher -l history -x -a '(__pelvaro_launcher_profiles)' -d "List a profile's kept versions"
complete -c pelvaro-launcher -l restore -x -a '(__pelvaro_launcher_profiles)' -d 'Restore a kept version'
complete -c pelvaro-launcher -l create-shortcut -x -a '(__pelvaro_launcher_profiles)' -d 'Add a profile to the applications menu'
complete -c pelvaro-launcher -l folder -x -a '(__fish_complete_directories)' -d 'Use this profile folder'

# Run by CPack after it made a Debian package, before the checksums: the DEB
# generator gives each member of the package's ar archive the mode its file
# had under cpack's umask (0600 under umask 077). Every member becomes 0644,
# as dpkg-deb writes them. perl-base is part of every Debian system.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  execute_process(
    COMMAND perl -e [=[
      open(my $deb, '+<:raw', $ARGV[0]) or die "$ARGV[0]: $!\n";
      my ($magic, $header, $at) = ('', '', 8);
      read($deb, $magic, 8) == 8 && $magic eq "!<arch>\n" or die "$ARGV[0]: not an ar archive\n";
      # Each member: a 60-byte header (mode at 40, size at 48), then its data padded to even.
      while (read($deb, $header, 60) == 60) {
        my $size = substr($header, 48, 10) + 0;
        seek($deb, $at + 40, 0);
        print $deb sprintf('%-8s', '100644');
        $at += 60 + $size + ($size % 2);
        seek($deb, $at, 0);
      }
      close($deb) or die "$ARGV[0]: $!\n";
    ]=] "${package}"
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()

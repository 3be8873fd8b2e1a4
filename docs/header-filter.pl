#!/usr/bin/perl
# Doxygen input filter for the public headers. The headers keep plain // comments; this filter
# makes them documentation, so that the reference says exactly what the headers say:
#
#  - the comment block at the top of a header documents the file;
#  - a comment block directly above a declaration documents it; when several declarations follow
#    it without a blank line (overloads, a family of functions), it documents each of them (an
#    unnamed member group, shared out by DISTRIBUTE_GROUP_DOC);
#  - a comment after code on the same line documents that member;
#  - any other comment block documents the class it stands in, or else the file; a heading that
#    starts it (a line holding a short phrase, or a first sentence of up to three words) stays out;
#  - the declarations of include/detail/X.h go into the group of the module header that includes
#    X.h, or else of one that includes a detail header including X.h (Kiv.h's group when every
#    module header includes it), so that each module header has a page listing what it holds.
#
# Comment text is shown as written: characters that Doxygen would read as commands or markup
# are escaped, except inside `code spans`. Lines whose text is indented (the rows of a table)
# start a new line. Every output line stands for the same input line, so that Doxygen's
# warnings point at the header's own lines.
#
#   perl header-filter.pl <header>
use strict;
use warnings;
use File::Basename qw(basename dirname);

my $path = $ARGV[0] or die "usage: $0 <header>\n";
open(my $in, '<', $path) or die "$path: $!\n";
my @lines = <$in>;
close($in);
chomp(@lines);

# The headers in `$dir` that include detail/`$name`.h (module headers) or `$name`.h (detail
# headers).
sub includers {
  my ($dir, $name, $prefix) = @_;
  my @found;
  for my $header (glob("$dir/*.h")) {
    open(my $h, '<', $header) or next;
    my $text = do { local $/; <$h> };
    push(@found, basename($header, '.h')) if $text =~ /^#include "\Q$prefix$name\E\.h"/m;
  }
  return @found;
}

# The group of the file's declarations: a module header is its own group; a detail header goes
# to the module header that includes it, or to that of a detail header that includes it.
sub group_name {
  my ($name, $dir, $seen) = @_;
  return $name if basename($dir) ne 'detail';
  my @modules = grep { $_ ne 'Kiv' } map { basename($_, '.h') } glob("$dir/../*.h");
  my @includers = grep { $_ ne 'Kiv' } includers("$dir/..", $name, 'detail/');
  return 'Kiv' if @includers && @includers == @modules;
  # The diagnostics log is included by its two twin module headers: it lists under the second.
  return (sort @includers)[-1] if @includers;
  $seen->{$name} = 1;
  for my $detail (grep { !$seen->{$_} } includers($dir, $name, '')) {
    my $group = group_name($detail, $dir, $seen);
    return $group if defined $group;
  }
  return undef;
}

# Comment text made literal for Doxygen. Doxygen takes "quoted text" within a line as it stands;
# in `code spans` it still reads '%' (which keeps a word from being linked) and nothing else. A
# quotation that goes on over the next line would be shown wrongly: the filter warns about it.
sub escape {
  my ($text, $line_number) = @_;
  my @parts = split(/("[^"]*"|`[^`]*`)/, $text);
  for my $part (@parts) {
    next if $part =~ /^"/;
    if ($part =~ /^`/) {
      $part =~ s/%/\\%/g;
    } else {
      print STDERR "$path:$line_number: warning: a quotation goes over two lines\n"
          if $part =~ /"/;
      $part =~ s/([\\@<>&%#\$])/\\$1/g;
    }
  }
  return join('', @parts);
}

sub is_comment { return $_[0] =~ m{^\s*//} }
sub is_blank { return $_[0] =~ /^\s*$/ }
sub is_preprocessor { return $_[0] =~ /^\s*#/ }
sub is_access { return $_[0] =~ /^\s*(public|protected|private)\s*:/ }

# A comment line as documentation: "///" and its text. An indented text (a table row or a line of
# code) starts a new line, unless it continues an item of a "- " list; so does the line after it.
my ($in_list, $in_table) = (0, 0);
sub doc_line {
  my ($index) = @_;
  my ($indent, $text) = $lines[$index] =~ m{^(\s*)//(.*)$};
  my $out = escape($text, $index + 1);
  if ($text =~ /^\s?- /) {
    ($in_list, $in_table) = (1, 0);
  } elsif ($text =~ /^\s{2,}\S/) {
    $in_table = !$in_list;
    $out = " <br>$out" if $in_table;
  } else {
    # The line after a table starts a new line too.
    $out = " <br>$out" if $in_table && $text =~ /\S/;
    ($in_list, $in_table) = (0, 0);
  }
  return "$indent///$out";
}

# The code of a line and its trailing comment, if any.
sub split_trailing {
  my ($line) = @_;
  return ($line, undef) if is_comment($line) || is_preprocessor($line);
  return ($1, $2) if $line =~ m{^(.*?\S)\s*//(.*)$};
  return ($line, undef);
}

my @out = @lines;     # each line's text for Doxygen
my @before = ('') x @lines;  # markers put before a line's text
my @after = ('') x @lines;   # and after it
my $group = group_name(basename($path, ".h"), dirname($path), {});

# The declarations that follow a comment block from line $start: up to a blank line, a comment, a
# preprocessor line, an access specifier or the end of the enclosing scope. A declaration ends
# where a line at the starting brace depth ends with ';' or '}'; a class, struct or enum whose
# body opens on its line counts as one, and its body is not part of the run. Returns the index of
# the run's last line, the number of declarations in it and whether it opens such a body.
sub measure_run {
  my ($start) = @_;
  my ($count, $d, $last) = (0, 0, $start);
  for (my $i = $start; $i < scalar(@lines); ++$i) {
    my $line = $lines[$i];
    last if $i > $start && $d == 0
        && (is_blank($line) || is_comment($line) || is_preprocessor($line) || is_access($line));
    my ($code) = split_trailing($line);
    my $opens = () = $code =~ /\{/g;
    my $closes = () = $code =~ /\}/g;
    last if $d == 0 && $closes > $opens && $code =~ /^\s*\}/;
    $d += $opens - $closes;
    $last = $i;
    return ($last, 1, 1) if $d > 0 && $code =~ /\b(class|struct|enum)\b[^;]*\{\s*$/;
    ++$count if $d == 0 && $code =~ /[;}]\s*$/;
  }
  return ($last, $count, 0);
}

my $i = 0;
# The header block: the file's own documentation.
while ($i < scalar(@lines) && is_comment($lines[$i])) {
  $out[$i] = doc_line($i);
  ++$i;
}
$after[$i - 1] .= ' \file' if $i > 0;

my @scopes;       # the classes and structs we are in, innermost last
my @scope_depth;  # the brace depth outside each of them
my $depth = 0;
for (; $i < scalar(@lines); ++$i) {
  my $line = $lines[$i];
  if (is_comment($line)) {
    ($in_list, $in_table) = (0, 0);
    my $first = $i;
    ++$i while $i + 1 < scalar(@lines) && is_comment($lines[$i + 1]);
    $out[$_] = doc_line($_) for $first .. $i;
    my $next = $i + 1 < scalar(@lines) ? $lines[$i + 1] : '';
    if (is_blank($next) || is_preprocessor($next) || is_access($next) || $next =~ /^\s*\}/) {
      # Not above a declaration: it documents the enclosing class, or else the file. A heading
      # that starts it (a line holding only a short phrase, or a first sentence of up to three
      # words) names a part of the header for its readers and stays out of the documentation.
      if ($lines[$first] =~ m{^\s*//\s*[A-Z][\w ,]{0,40}?\.?\s*$}) {
        $out[$first] = $lines[$first];
        ++$first;
        ++$first while $first <= $i && $lines[$first] =~ m{^\s*//\s*$};
        next if $first > $i;
      } elsif ($lines[$first] =~ m{^(\s*)//\s*[A-Z]\w*(?: \w+){0,2}\. (.*)$}) {
        $out[$first] = "$1///" . escape(" $2", $first + 1);
      }
      # All of it is detailed description: the brief is the declaration's own.
      $out[$first] =~ s{^(\s*///)}{$1 \\details};
      $after[$i] .= @scopes ? " \\class $scopes[-1]" : ' \file';
      next;
    }
    $after[$i] .= " \\ingroup $group" if defined $group && !@scopes;
    my ($last, $count, $opens_body) = measure_run($i + 1);
    next if $opens_body || $count == 0;
    # The block documents each declaration of the run. The run is a member group even when it
    # holds one declaration, so that class members keep their order in Doxygen's lists (it lists
    # grouped members after the others). The markers share lines with code: a marker before a
    # documentation block on its line would cut that block's brief description short, and one
    # after a comment would be part of it.
    $before[$i + 1] = '/** @{ */ ' . $before[$i + 1];
    if (!defined((split_trailing($lines[$last]))[1])) {
      $after[$last] .= ' /** @} */';
    } else {
      print STDERR "$path:" . ($last + 2) . ": warning: put a blank line above this line\n"
          if $last + 1 < scalar(@lines) && !is_blank($lines[$last + 1])
          && (is_comment($lines[$last + 1]) || is_preprocessor($lines[$last + 1]));
      $before[$last + 1] = '/** @} */ ' . $before[$last + 1];
    }
    next;
  }
  next if is_preprocessor($line);
  my ($code, $trailing) = split_trailing($line);
  $out[$i] = $code . ' ///<' . escape($trailing, $i + 1) if defined $trailing;
  my $opens = () = $code =~ /\{/g;
  my $closes = () = $code =~ /\}/g;
  if ($opens > $closes && $code =~ /\b(?:class|struct)\s+(\w+)[^;]*\{\s*$/) {
    push(@scopes, $1);
    push(@scope_depth, $depth);
  }
  $depth += $opens - $closes;
  while (@scope_depth && $depth <= $scope_depth[-1]) {
    pop(@scopes);
    pop(@scope_depth);
  }
}

print "$before[$_]$out[$_]$after[$_]\n" for 0 .. $#out;

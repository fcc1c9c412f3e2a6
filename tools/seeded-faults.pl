#!/usr/bin/env perl
# Reads the seeded-fault list and applies one fault to a tree.
#   seeded-faults.pl LIST count          number of faults
#   seeded-faults.pl LIST describe N     "<file>: <note>" of fault N (from 1)
#   seeded-faults.pl LIST apply N ROOT   applies fault N to the copy at ROOT
#   seeded-faults.pl LIST check ROOT     every fault's text occurs once in ROOT
use strict;
use warnings;

my ($list, $verb, @args) = @ARGV;
die "usage: seeded-faults.pl LIST count|describe N|apply N ROOT|check ROOT\n" unless $list && $verb;

sub read_faults {
    open(my $in, '<', $list) or die "cannot read $list: $!\n";
    my @faults;
    my $current;
    while (my $line = <$in>) {
        chomp $line;
        if ($line =~ /^@ (\S+)\s*$/) {
            $current = { file => $1, find => [], replace => [], note => [] };
            push @faults, $current;
        } elsif ($current && $line =~ /^- (.*)$/s) {
            push @{ $current->{find} }, $1;
        } elsif ($current && $line =~ /^-$/) {
            push @{ $current->{find} }, '';
        } elsif ($current && $line =~ /^\+ (.*)$/s) {
            push @{ $current->{replace} }, $1;
        } elsif ($current && $line =~ /^\+$/) {
            push @{ $current->{replace} }, '';
        } elsif ($current && $line =~ /^# ?(.*)$/ && !@{ $current->{find} }) {
            push @{ $current->{note} }, $1;
        } elsif ($line =~ /^\s*$/) {
            $current = undef;
        }
    }
    return @faults;
}

sub occurrences {
    my ($text, $find) = @_;
    my $count = 0;
    my $at = 0;
    while ((my $found = index($text, $find, $at)) >= 0) {
        ++$count;
        $at = $found + 1;
    }
    return $count;
}

sub slurp {
    my ($path) = @_;
    open(my $in, '<:raw', $path) or die "cannot read $path: $!\n";
    local $/;
    return <$in>;
}

my @faults = read_faults();
# A number that is not one of the list's would otherwise count from its end.
sub fault_numbered {
    my ($n) = @_;
    die "no fault $n\n" unless defined $n && $n =~ /^[1-9][0-9]*$/ && $n <= @faults;
    return $faults[$n - 1];
}
if ($verb eq 'count') {
    print scalar(@faults), "\n";
    exit 0;
}
if ($verb eq 'describe') {
    my $f = fault_numbered($args[0]);
    print "$f->{file}: ", join(' ', @{ $f->{note} }), "\n";
    exit 0;
}
if ($verb eq 'apply') {
    my ($n, $root) = @args;
    my $f = fault_numbered($n);
    my $path = "$root/$f->{file}";
    my $text = slurp($path);
    my $find = join("\n", @{ $f->{find} });
    my $count = occurrences($text, $find);
    die "fault $n: its text occurs $count times in $f->{file}, not once\n" if $count != 1;
    my $at = index($text, $find);
    substr($text, $at, length($find)) = join("\n", @{ $f->{replace} });
    open(my $out, '>:raw', $path) or die "cannot write $path: $!\n";
    print $out $text;
    close($out) or die "cannot write $path: $!\n";
    exit 0;
}
if ($verb eq 'check') {
    my ($root) = @args;
    my $bad = 0;
    for my $i (0 .. $#faults) {
        my $f = $faults[$i];
        my $count = occurrences(slurp("$root/$f->{file}"), join("\n", @{ $f->{find} }));
        if ($count != 1) {
            print "fault ", $i + 1, " ($f->{file}): its text occurs $count times\n";
            $bad = 1;
        }
    }
    print scalar(@faults), " faults\n";
    exit $bad;
}
die "unknown verb $verb\n";

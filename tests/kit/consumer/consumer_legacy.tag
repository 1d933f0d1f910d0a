Skipped before the first heading.
$H1%2%Intro$H
Legacy text $Wwrapped
line$W.
$S3%4%More$S
More text.

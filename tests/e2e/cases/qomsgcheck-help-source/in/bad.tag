Legacy source: a word starting with a tag letter, and a heading
that is never closed.
$H100%101%Start$H
Files live under $HOME on every system.
$S102%103%Details
The heading above has no closing tag.

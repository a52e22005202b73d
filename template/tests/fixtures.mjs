// The trees the tests open. Sizes are chosen so that the order by size is
// unambiguous; times are record texts as the program writes them.

export const ROOT = 'C:/Data';

export function richTree() {
  let deep = { name: 'j', time: '2018/1/10 10:10:10', files: [['bottom.txt', 7, '2018/1/10 10:10:10']] };
  for (const n of ['i', 'h', 'g', 'f', 'e', 'd', 'c', 'b', 'a']) deep = { name: n, time: '2018/1/9 9:09:09', dirs: [deep] };
  return {
    time: '2018/12/8 9:30:00',
    files: [
      ['&amp;literal.txt', 11, '2018/12/3 3:03:03'],
      ['empty.bin', 0, '2018/12/4 4:04:04'],
      ['file 10.txt', 10, '2018/12/6 6:06:06'],
      ['file 9.txt', 9, '2018/12/5 5:05:05'],
      ["it's here.txt", 13, '2018/12/7 7:07:07'],
      ['notes.txt', 120, '2018/12/1 8:00:00'],
      ['R&D report.pdf', 300000, '2018/11/2 2:02:02'],
      ['readme.md', 2048, '2018/11/30 17:45:10'],
      ['报告 2018.docx', 65536, '2018/10/1 10:00:00'],
    ],
    dirs: [
      { name: '10', time: '2018/3/10 10:00:00', files: [['ten.txt', 100, '2018/3/10 10:00:00']] },
      { name: '9', time: '2018/3/9 9:00:00', files: [['nine.txt', 90, '2018/3/9 9:00:00']] },
      { name: 'Deep', time: '2018/1/1 1:00:00', dirs: [deep] },
      { name: 'Empty', time: '2018/12/8 9:30:00' },
      {
        name: 'Music', time: '2018/12/2 20:15:07', files: [['song.mp3', 4000000, '2018/12/2 20:14:59']],
        dirs: [{ name: 'Live', time: '2018/12/2 20:15:07', files: [['live.flac', 3000000, '2018/12/2 20:15:01']] }],
      },
      { name: 'NoTime', time: null, files: [['kept.txt', 5, '2018/6/6 6:06:06']] },
      {
        name: 'Photos 2018', time: '2018/8/8 8:08:08',
        files: [['IMG_0001.JPG', 2500000, '2018/8/8 8:00:01'], ['IMG_0002.jpg', 1500000, '2018/8/8 8:00:02']],
      },
      { name: 'R&D', time: '2018/12/5 11:02:33' },
      { name: '相册', time: '2018/9/9 9:09:09', files: [['旅行.png', 800000, '2018/9/9 9:09:09']] },
    ],
  };
}

// Every name here must come out exactly, and none may run script.
export const HOSTILE_NAMES = [
  '<img src=x onerror="window.__pwned=1">.txt',
  '</script><script>window.__pwned=2</script>.txt',
  'quote "in" name.txt',
  "apos ' name.txt",
  'tick `x` name.txt',
  '${window.__pwned=3}.txt',
  'say","hi.txt',
  'star*1*name.txt',
  'D.p(["x*0*-",0,""]).txt',
  '<plaintext>.txt',
  '--> <!-- .txt',
  'back\\slash?.txt',
  '&lt;b&gt;not bold&lt;/b&gt;.txt',
  '   spaced   .txt',
];

export function hostileTree() {
  return {
    time: '2018/12/8 9:30:00',
    files: HOSTILE_NAMES.map((n, i) => [n, 1000 + i, '2018/12/8 9:30:0' + (i % 10)]),
    dirs: [
      { name: '<svg onload="window.__pwned=7">', time: '2018/12/8 9:30:00', files: [['inside.txt', 1, '2018/12/8 9:30:00']] },
      { name: 'dir","with*0*quotes', time: '2018/12/8 9:30:00', files: [['q.txt', 2, '2018/12/8 9:30:00']] },
    ],
  };
}

#pragma once

// Markup that would make a page fetch from elsewhere through CSS or SVG.
// "HOST" stands for the address of a server that counts what reaches it.
namespace RemoteVectors {

// Raw HTML inside Markdown.
inline const char* const markdown[] = {
    "<div style=\"background-image:image-set('http://HOST/1.png' 1x)\">x</div>",
    "<div style=\"background-image:-webkit-image-set(url(http://HOST/2.png) 1x)\">x</div>",
    "<p style=\"cursor:url(http://HOST/3.cur),auto\">x</p>",
    "<div style=\"background:url(http://HOST/4.png)\">x</div>",
    "<div style=\"background:#fff url('http://HOST/5.png') no-repeat\">x</div>",
    "<ul style=\"list-style:square url(http://HOST/6.png)\"><li>x</li></ul>",
    "<ul style=\"list-style-image:url(http://HOST/7.png)\"><li>x</li></ul>",
    "<div style=\"border:9px solid;border-image:url(http://HOST/8.png) 30 round\">x</div>",
    "<div style=\"border:9px solid;border-image-source:url(http://HOST/9.png)\">x</div>",
    "<style>@import url(http://HOST/10.css);</style>x",
    "<style>@import 'http://HOST/11.css';</style>x",
    "<style>@font-face{font-family:q;src:url(http://HOST/12.woff)}p{font-family:q}</style><p>x</p>",
    "<style>p{background:url(http://HOST/13.png)}</style><p>x</p>",
    "<p style=\"-webkit-mask-image:url(http://HOST/14.svg);mask-image:url(http://HOST/14.svg)\">x</p>",
    "<p style=\"-webkit-mask:url(http://HOST/15.svg)\">x</p>",
    "<p style=\"filter:url(http://HOST/16.svg#f)\">x</p>",
    "<p style=\"clip-path:url(http://HOST/17.svg#c)\">x</p>",
    "<p style=\"float:left;width:9px;height:9px;shape-outside:url(http://HOST/18.png)\">x</p>",
    "<p style=\"content:url(http://HOST/19.png)\">x</p>",
    "<p style=\"background:u\\72l(http://HOST/20.png)\">x</p>",
    "<p style=\"background:url&#40;http://HOST/21.png)\">x</p>",
    "<p style=\"background:/**/url(http://HOST/22.png)\">x</p>",
    "<p style=\"background-image:cross-fade(url(http://HOST/23.png),url(http://HOST/23b.png),50%)\">x</p>",
    "<p style=\"--u:url(http://HOST/24.png);background:var(--u)\">x</p>",
    "<p style=\"background:url(http://HOST/25.png) !important\">x</p>",
    "<p style=\"background:URL(  'http://HOST/26.png'  )\">x</p>",
    "<p style=\"background:url(\nhttp://HOST/27.png)\">x</p>",
    "<p style=\"behavior:url(http://HOST/28.htc);width:expression(1)\">x</p>",
    "<p style=\"@import url(http://HOST/29.css)\">x</p>",
    "<table background=\"http://HOST/30.png\"><tr><td background=\"http://HOST/30b.png\">x</td></tr></table>",
    "<img srcset=\"http://HOST/31.png 1x\" src=\"data:image/png;base64,AA\">",
    "<picture><source srcset=\"http://HOST/32.png\"><img src=\"data:image/png;base64,AA\"></picture>",
    "<video poster=\"http://HOST/33.png\" src=\"http://HOST/33.mp4\"></video>",
    "<audio src=\"http://HOST/34.mp3\" autoplay></audio>",
    "<link rel=stylesheet href=\"http://HOST/35.css\"><link rel=preload as=image href=\"http://HOST/35b.png\">",
    "<input type=image src=\"http://HOST/36.png\">",
    "<object data=\"http://HOST/37\"></object><embed src=\"http://HOST/37b\">",
    "<iframe src=\"http://HOST/38\"></iframe>",
    "<base href=\"http://HOST/39/\">\n\n![x](rel.png)",
    "<svg><image href=\"http://HOST/40.png\" width=9 height=9 /></svg>",
    "<svg><image xlink:href=\"http://HOST/41.png\" width=9 height=9 /></svg>",
    "<svg><use href=\"http://HOST/42.svg#a\" /></svg>",
    "<svg><filter id=f><feImage href=\"http://HOST/43.png\" /></filter><rect filter=url(#f) width=9 height=9 /></svg>",
    "<svg><style>rect{fill:url(http://HOST/44.svg#p)}</style><rect width=9 height=9 /></svg>",
    "<svg><rect fill=\"url(http://HOST/45.svg#p)\" stroke=\"url(http://HOST/45b.svg#p)\" width=9 height=9 /></svg>",
    "<svg><rect mask=\"url(http://HOST/46.svg#m)\" clip-path=\"url(http://HOST/46b.svg#c)\" width=9 height=9 /></svg>",
    "<svg><path marker-start=\"url(http://HOST/47.svg#m)\" d=\"M0 0L9 9\" stroke=black /></svg>",
    "<svg><rect cursor=\"url(http://HOST/48.cur)\" filter=\"url(http://HOST/48b.svg#f)\" width=9 height=9 /></svg>",
    "<div style=\"width:9px;height:9px;background:image-set(url(http://HOST/49.png) type('image/png'))\">x</div>",
    "<math href=\"http://HOST/50\"><mi>x</mi></math>",
    "<p style=\"background-image:image(url(http://HOST/51.png))\">x</p>",
    "<x-y style=\"background:url(http://HOST/52.png)\">x</x-y>",
};

// SVG documents, as PlantUML output would arrive.
inline const char* const svg[] = {
    "<rect width='9' height='9' fill='url(http://HOST/60.svg#p)' stroke='url(http://HOST/60b.svg#p)'/>",
    "<rect width='9' height='9' mask='url(http://HOST/61.svg#m)'/><rect width='9' height='9' "
    "clip-path='url(http://HOST/61b.svg#c)'/>",
    "<rect width='9' height='9' filter='url(http://HOST/62.svg#f)'/>",
    "<path d='M0 0L9 9' stroke='black' marker-start='url(http://HOST/63.svg#a)' "
    "marker-mid='url(http://HOST/63b.svg#a)' marker-end='url(http://HOST/63c.svg#a)'/>",
    "<rect width='9' height='9' cursor='url(http://HOST/64.cur)'/>",
    "<rect width='9' height='9' style='fill:url(http://HOST/65.svg#p);cursor:url(http://HOST/65b.cur)'/>",
    "<g style='background-image:image-set(\"http://HOST/66.png\" 1x)'><rect width='9' height='9'/></g>",
    "<style>@import url(http://HOST/67.css);</style><rect width='9' height='9'/>",
    "<style>@font-face{font-family:q;src:url(http://HOST/68.woff)}text{font-family:q}</style><text y='9'>x</text>",
    "<use href='http://HOST/69.svg#a'/><use xlink:href='http://HOST/69b.svg#a'/>",
    "<image href='http://HOST/70.png' width='9' height='9'/><image xlink:href='//HOST/70b.png' width='9' height='9'/>",
    "<filter id='f'><feImage href='http://HOST/71.png'/><feImage xlink:href='http://HOST/71b.png'/></filter><rect "
    "filter='url(#f)' width='9' height='9'/>",
    "<pattern id='p' xlink:href='http://HOST/72.svg#q'/><rect fill='url(#p)' width='9' height='9'/>",
    "<linearGradient id='g' href='http://HOST/73.svg#g'/><rect fill='url(#g)' width='9' height='9'/>",
    "<defs><path id='t' d='M0 9L90 9'/></defs><text><textPath href='http://HOST/74.svg#t'>x</textPath></text>",
    "<foreignObject width='9' height='9'><img xmlns='http://www.w3.org/1999/xhtml' "
    "src='http://HOST/75.png'/></foreignObject>",
    "<g xml:base='http://HOST/76/'><image href='x.png' width='9' height='9'/></g>",
    "<set attributeName='fill' to='url(http://HOST/77.svg#p)'/><animate attributeName='href' "
    "values='http://HOST/77b.png'/>",
    "<rect width='9' height='9' style='fill:u\\72l(http://HOST/78.svg#p)'/>",
    "<rect width='9' height='9' fill='url(&quot;http://HOST/79.svg#p&quot;)'/>",
    "<rect width='9' height='9' style='fill:url(#x) ; stroke:url(http://HOST/80.svg#p)'/>",
    "<a href='http://HOST/81'><rect width='9' height='9' style='background:url(http://HOST/81b.png)'/></a>",
    "<script href='http://HOST/82.js'/><cursor xlink:href='http://HOST/82b.png'/>",
    "<rect width='9' height='9' fill='url(#a) url(http://HOST/83.svg#p)'/>",
};

}
